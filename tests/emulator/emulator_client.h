#pragma once

#include "emulator/service_emulator.h"

#include <cstdint>
#include <libxml/tree.h>
#include <memory>
#include <string>
#include <vector>

namespace emulator::testing {

inline constexpr const char* kNamespace = "http://www.zenfolio.com/api/1.6";

// A reply body parsed for XPath, with s: bound to the SOAP envelope namespace
// and z: to the service's, as the client binds them.
class XmlReply {
  public:
    explicit XmlReply(const std::string& body);
    std::vector<std::string> Texts(const std::string& xpath) const;
    std::string Text(const std::string& xpath) const // "" when nothing matches
    {
        const auto texts = Texts(xpath);
        return texts.empty() ? std::string() : texts.front();
    }
    int Count(const std::string& xpath) const { return static_cast<int>(Texts(xpath).size()); }

  private:
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
};

struct SoapReply {
    int status = 0;
    std::string content_type;
    std::string body;
    XmlReply xml;

    // The service's error code at the start of faultstring, "" for no fault.
    std::string FaultCode() const;
    std::string Result(const std::string& relative) const;
};

// Calls the emulator the way the client does: httplib on loopback, one
// request per call, the envelope written as the client's templates are.
class ServiceClient {
  public:
    explicit ServiceClient(std::uint16_t port) : port_(port) {}

    SoapReply Call(const std::string& method, const std::string& parameters_xml, const std::string& token = {},
                   const std::string& soap_action = {});
    // Full challenge/response login; "" when refused.
    std::string Login(const std::string& login, const std::string& password);
    // Proof for a challenge reply, as the client computes it.
    static std::string Proof(const SoapReply& challenge_reply, const std::string& password);

    SoapReply Upload(const std::string& upload_url, const std::string& query, const std::string& bytes,
                     const std::string& token, const std::string& content_md5 = {},
                     const std::string& content_type = "image/jpeg");

  private:
    std::uint16_t port_;
};

// Sends bytes on a fresh loopback connection and reads until the server
// closes it. The request should ask for "Connection: close".
std::string RawExchange(std::uint16_t port, const std::string& request);

inline std::string Element(const std::string& name, const std::string& text)
{
    return "<" + name + ">" + text + "</" + name + ">";
}

} // namespace emulator::testing
