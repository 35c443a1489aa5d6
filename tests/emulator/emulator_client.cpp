#include "tests/emulator/emulator_client.h"

#include "emulator/crypto.h"
#include "pal/base/unique_fd.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <libxml/parser.h>
#include <libxml/xpathInternals.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>

namespace emulator::testing {

XmlReply::XmlReply(const std::string& body)
    : doc_(xmlReadMemory(body.data(), static_cast<int>(body.size()), "reply.xml", nullptr,
                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
           xmlFreeDoc)
{
}

std::vector<std::string> XmlReply::Texts(const std::string& xpath) const
{
    std::vector<std::string> out;
    if (!doc_) return out;
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(xmlXPathNewContext(doc_.get()),
                                                                             xmlXPathFreeContext);
    xmlXPathRegisterNs(context.get(), BAD_CAST "s", BAD_CAST "http://schemas.xmlsoap.org/soap/envelope/");
    xmlXPathRegisterNs(context.get(), BAD_CAST "z", BAD_CAST kNamespace);
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
        xmlXPathEvalExpression(BAD_CAST xpath.c_str(), context.get()), xmlXPathFreeObject);
    if (!result || !result->nodesetval) return out;
    for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
        xmlChar* text = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
        out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        xmlFree(text);
    }
    return out;
}

std::string SoapReply::FaultCode() const
{
    const std::string text = xml.Text("/s:Envelope/s:Body/s:Fault/faultstring");
    return text.substr(0, text.find(':'));
}

std::string SoapReply::Result(const std::string& relative) const
{
    return xml.Text("/s:Envelope/s:Body/*/*/" + relative);
}

namespace {

SoapReply ReplyOf(const httplib::Result& result)
{
    if (!result) throw std::runtime_error("no reply from the emulator");
    return SoapReply{result->status, result->get_header_value("Content-Type"), result->body, XmlReply(result->body)};
}

} // namespace

SoapReply ServiceClient::Call(const std::string& method, const std::string& parameters_xml, const std::string& token,
                              const std::string& soap_action)
{
    const std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                             "<Envelope xmlns=\"http://schemas.xmlsoap.org/soap/envelope/\"><Body><" +
                             method + " xmlns=\"" + kNamespace + "\">" + parameters_xml + "</" + method +
                             "></Body></Envelope>";
    httplib::Headers headers{{"SOAPAction", soap_action.empty() ? std::string(kNamespace) + "/" + method : soap_action},
                             {"X-Zenfolio-User-Agent", "Orvana/1.9.289.0"}};
    if (!token.empty()) headers.emplace("X-Zenfolio-Token", token);
    httplib::Client client("127.0.0.1", port_);
    return ReplyOf(client.Post("/api/1.6/zfapi.asmx", headers, body, "text/xml; charset=utf-8"));
}

std::string ServiceClient::Proof(const SoapReply& challenge_reply, const std::string& password)
{
    const auto salt = crypto::Base64Decode(challenge_reply.Result("z:PasswordSalt"));
    const auto challenge = crypto::Base64Decode(challenge_reply.Result("z:Challenge"));
    if (!salt || !challenge) throw std::runtime_error("challenge reply without salt or challenge");
    return crypto::Base64Encode(crypto::Sha256(*challenge, crypto::Sha256(*salt, password)));
}

std::string ServiceClient::Login(const std::string& login, const std::string& password)
{
    const SoapReply challenge = Call("GetChallenge", Element("loginName", login));
    if (!challenge.FaultCode().empty()) return {};
    const SoapReply reply = Call("Authenticate", Element("challenge", challenge.Result("z:Challenge")) +
                                                     Element("proof", Proof(challenge, password)));
    return reply.FaultCode().empty() ? reply.Result(".") : std::string();
}

SoapReply ServiceClient::Upload(const std::string& upload_url, const std::string& query, const std::string& bytes,
                                const std::string& token, const std::string& content_md5,
                                const std::string& content_type)
{
    // The upload address names the service's host; the emulator answers any
    // host's path, so only the path goes to loopback.
    const std::string path = upload_url.substr(upload_url.find('/', std::string("http://").size()));
    httplib::Headers headers{{"X-Zenfolio-Token", token}};
    if (!content_md5.empty()) headers.emplace("Content-MD5", content_md5);
    httplib::Client client("127.0.0.1", port_);
    return ReplyOf(client.Post(path + "?" + query, headers, bytes, content_type));
}

std::string RawExchange(std::uint16_t port, const std::string& request)
{
    const pal::UniqueFd connection(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int fd = connection.Get();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!connection.Valid() || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("connect");
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) throw std::runtime_error("send");
        sent += static_cast<std::size_t>(n);
    }
    std::string reply;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, static_cast<std::size_t>(n));
    return reply;
}

} // namespace emulator::testing
