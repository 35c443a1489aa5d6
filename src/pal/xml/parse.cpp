#include "pal/xml/parse.h"

#include <climits>
#include <mutex>
#include <new>

namespace pal::xml {
namespace {

// libxml2 wants its global set-up done once before threads use it.
void InitialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

bool OpensWithDeclaration(std::string_view text)
{
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.starts_with(bom)) text.remove_prefix(bom.size());
    if (!text.starts_with("<?xml") || text.size() < 6) return false;
    const char next = text[5];
    return next == ' ' || next == '\t' || next == '\r' || next == '\n';
}

} // namespace

ParsedDocument ParseDocument(std::string_view utf8, bool preserveWhiteSpace)
{
    InitialiseLibrary();
    if (utf8.size() > INT_MAX) return {};
    ParserContextPtr context(xmlNewParserCtxt());
    if (!context) throw std::bad_alloc();
    // Deliberately absent: XML_PARSE_DTDLOAD and XML_PARSE_NOENT.
    int options = XML_PARSE_NONET | XML_PARSE_IGNORE_ENC | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    if (!preserveWhiteSpace) options |= XML_PARSE_NOBLANKS;
    ParsedDocument parsed;
    parsed.doc.reset(
        xmlCtxtReadMemory(context.get(), utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8", options));
    if (parsed.doc && !context->wellFormed) parsed.doc.reset();
    if (parsed.doc) parsed.hasDeclaration = OpensWithDeclaration(utf8);
    return parsed;
}

DocPtr NewEmptyDocument()
{
    InitialiseLibrary();
    DocPtr doc(xmlNewDoc(BAD_CAST "1.0"));
    if (!doc) throw std::bad_alloc();
    return doc;
}

} // namespace pal::xml
