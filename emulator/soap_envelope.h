#pragma once

#include "emulator/soap_fault.h"

#include <libxml/tree.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emulator {

inline constexpr std::string_view kEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kServiceNamespace = "http://www.zenfolio.com/api/1.6";

// A view of one element of a parsed request; valid while its SoapRequest lives.
class XmlElement {
  public:
    explicit XmlElement(const xmlNode* node) : node_(node) {}
    std::string_view LocalName() const;
    // First child element of that name in the service namespace.
    std::optional<XmlElement> Child(std::string_view name) const;
    std::vector<XmlElement> Children(std::string_view name) const;
    std::string Text() const;

  private:
    const xmlNode* node_;
};

// A SOAP 1.1 request body, parsed with libxml2 (no network, no DTD loading).
class SoapRequest {
  public:
    // Throws ServiceFault (E_INVALIDPARAM) for anything but an envelope whose
    // body holds one method element in the service namespace.
    static SoapRequest Parse(std::string_view body);

    const std::string& Method() const { return method_; }
    XmlElement MethodElement() const { return XmlElement(method_element_); }
    // Text of a parameter element; nullopt when the element is absent.
    std::optional<std::string> Param(std::string_view name) const;

  private:
    struct DocDeleter {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    std::unique_ptr<xmlDoc, DocDeleter> doc_;
    const xmlNode* method_element_ = nullptr;
    std::string method_;
};

// <soap:Envelope><soap:Body><{method}Response xmlns=service><{method}Result>
// result_xml </...>; result_xml is inserted as it is.
std::string ResultEnvelope(std::string_view method, std::string_view result_xml);
std::string FaultEnvelope(const ServiceFault& fault);

} // namespace emulator
