#include "emulator/soap_envelope.h"

#include "emulator/xml_writer.h"

#include <libxml/parser.h>
#include <mutex>

namespace emulator {
namespace {

std::string_view AsView(const xmlChar* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool IsElement(const xmlNode* node, std::string_view ns, std::string_view name)
{
    return node->type == XML_ELEMENT_NODE && node->ns && AsView(node->ns->href) == ns && AsView(node->name) == name;
}

const xmlNode* FirstElementChild(const xmlNode* node)
{
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) return child;
    }
    return nullptr;
}

ServiceFault BadRequest(const std::string& message)
{
    return ServiceFault("E_INVALIDPARAM", message);
}

struct XmlCharDeleter {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

constexpr std::string_view kEnvelopeOpen =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
    "<soap:Body>";
constexpr std::string_view kEnvelopeClose = "</soap:Body></soap:Envelope>";

} // namespace

std::string_view XmlElement::LocalName() const
{
    return AsView(node_->name);
}

std::optional<XmlElement> XmlElement::Child(std::string_view name) const
{
    for (const xmlNode* child = node_->children; child; child = child->next) {
        if (IsElement(child, kServiceNamespace, name)) return XmlElement(child);
    }
    return std::nullopt;
}

std::vector<XmlElement> XmlElement::Children(std::string_view name) const
{
    std::vector<XmlElement> out;
    for (const xmlNode* child = node_->children; child; child = child->next) {
        if (IsElement(child, kServiceNamespace, name)) out.emplace_back(child);
    }
    return out;
}

std::string XmlElement::Text() const
{
    std::unique_ptr<xmlChar, XmlCharDeleter> text(xmlNodeGetContent(node_));
    return std::string(AsView(text.get()));
}

SoapRequest SoapRequest::Parse(std::string_view body)
{
    // The parser's global state must be set up once before threads use it.
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });

    SoapRequest request;
    request.doc_.reset(xmlReadMemory(body.data(), static_cast<int>(body.size()), "request.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
    if (!request.doc_) throw BadRequest("The request is not well-formed XML.");
    const xmlNode* envelope = xmlDocGetRootElement(request.doc_.get());
    if (!envelope || !IsElement(envelope, kEnvelopeNamespace, "Envelope")) {
        throw BadRequest("The request is not a SOAP 1.1 envelope.");
    }
    const xmlNode* body_element = nullptr;
    for (const xmlNode* child = envelope->children; child; child = child->next) {
        if (IsElement(child, kEnvelopeNamespace, "Body")) body_element = child;
    }
    if (!body_element) throw BadRequest("The envelope has no Body.");
    const xmlNode* method = FirstElementChild(body_element);
    if (!method || !method->ns || AsView(method->ns->href) != kServiceNamespace) {
        throw BadRequest("The Body holds no method element of the service's namespace.");
    }
    request.method_element_ = method;
    request.method_ = std::string(AsView(method->name));
    return request;
}

std::optional<std::string> SoapRequest::Param(std::string_view name) const
{
    auto element = MethodElement().Child(name);
    if (!element) return std::nullopt;
    return element->Text();
}

std::string ResultEnvelope(std::string_view method, std::string_view result_xml)
{
    std::string out(kEnvelopeOpen);
    out += "<" + std::string(method) + "Response xmlns=\"" + std::string(kServiceNamespace) + "\">";
    out += "<" + std::string(method) + "Result>";
    out += result_xml;
    out += "</" + std::string(method) + "Result></" + std::string(method) + "Response>";
    out += kEnvelopeClose;
    return out;
}

std::string FaultEnvelope(const ServiceFault& fault)
{
    XmlWriter writer;
    writer.Open("soap:Fault");
    writer.Element("faultcode", fault.FaultSide() == ServiceFault::Side::Client ? "soap:Client" : "soap:Server");
    writer.Element("faultstring", fault.Code() + ": " + fault.what());
    writer.Element("detail", "");
    writer.Close();
    return std::string(kEnvelopeOpen) + writer.Take() + std::string(kEnvelopeClose);
}

} // namespace emulator
