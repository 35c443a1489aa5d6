#include "host/service_diagnostic.h"

#include "pal/http/http_diagnostics.h"

#include <cstdio>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <memory>

namespace host {

namespace {

constexpr char kEnvelopeNamespace[] = "http://schemas.xmlsoap.org/soap/envelope/";
// A reply's text is shown up to this many characters, on one line.
constexpr std::size_t kShownTextLength = 200;

struct DocumentDeleter {
    void operator()(xmlDoc* document) const noexcept { xmlFreeDoc(document); }
};

bool IsElement(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name);
}

bool InEnvelopeNamespace(const xmlNode* node)
{
    return node->ns && xmlStrEqual(node->ns->href, BAD_CAST kEnvelopeNamespace);
}

const xmlNode* FindFault(const xmlNode* node)
{
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        if (IsElement(node, "Fault") && InEnvelopeNamespace(node)) return node;
        if (const xmlNode* inner = FindFault(node->children)) return inner;
    }
    return nullptr;
}

// faultcode and faultstring are unqualified in SOAP 1.1.
std::string ChildText(const xmlNode* fault, const char* name)
{
    for (const xmlNode* child = fault->children; child; child = child->next) {
        if (!IsElement(child, name)) continue;
        std::unique_ptr<xmlChar, decltype(xmlFree)> text(xmlNodeGetContent(child), xmlFree);
        return text ? reinterpret_cast<const char*>(text.get()) : "";
    }
    return {};
}

std::string OneLine(std::string_view text)
{
    std::string line;
    for (char c : text) {
        if (line.size() >= kShownTextLength) {
            line += "…";
            break;
        }
        line += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::string Hex(long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value) & 0xFFFFFFFFul);
    return text;
}

} // namespace

std::optional<SoapFault> FindSoapFault(std::string_view body)
{
    const std::unique_ptr<xmlDoc, DocumentDeleter> document(
        xmlReadMemory(body.data(), static_cast<int>(body.size()), nullptr, nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!document) return std::nullopt;
    const xmlNode* fault = FindFault(xmlDocGetRootElement(document.get()));
    if (!fault) return std::nullopt;
    SoapFault found{ChildText(fault, "faultcode"), ChildText(fault, "faultstring")};
    if (found.code.empty() && found.text.empty()) return std::nullopt;
    return found;
}

std::string DescribeLastExchange()
{
    const auto exchange = pal::http::LastExchange();
    if (!exchange) return {};
    if (exchange->result < 0)
        return "  no answer to " + exchange->method + " " + exchange->url + " (HRESULT " + Hex(exchange->result) +
               ")\n";
    std::string text = "  the service answered HTTP " + std::to_string(exchange->status);
    if (!exchange->statusText.empty()) text += " " + exchange->statusText;
    text += " to " + exchange->method + " " + exchange->url + "\n";
    if (const auto fault = FindSoapFault(exchange->body)) {
        text += "  SOAP fault " + OneLine(fault->code) + ": " + OneLine(fault->text) + "\n";
    } else if (exchange->contentType.starts_with("text/plain")) {
        if (const std::string line = OneLine(exchange->body); !line.empty()) text += "  reply: " + line + "\n";
    } else if (!exchange->body.empty()) {
        text += "  reply: " + (exchange->contentType.empty() ? std::string("untyped") : exchange->contentType) +
                ", no SOAP fault\n";
    }
    return text;
}

} // namespace host
