#include "emulator/xml_writer.h"

namespace emulator {

std::string EscapeXml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            out += "&#xD;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

void XmlWriter::Open(std::string_view name, std::string_view attributes)
{
    out_ += '<';
    out_ += name;
    if (!attributes.empty()) {
        out_ += ' ';
        out_ += attributes;
    }
    out_ += '>';
    open_.emplace_back(name);
}

void XmlWriter::Close()
{
    out_ += "</" + open_.back() + ">";
    open_.pop_back();
}

void XmlWriter::Element(std::string_view name, std::string_view text)
{
    out_ += '<';
    out_ += name;
    if (text.empty()) {
        out_ += " />";
        return;
    }
    out_ += '>';
    out_ += EscapeXml(text);
    out_ += "</";
    out_ += name;
    out_ += '>';
}

void XmlWriter::Element(std::string_view name, std::int64_t value)
{
    Element(name, std::string_view(std::to_string(value)));
}

void XmlWriter::Boolean(std::string_view name, bool value)
{
    Element(name, std::string_view(value ? "true" : "false"));
}

void XmlWriter::Text(std::string_view text)
{
    out_ += EscapeXml(text);
}

std::string XmlWriter::Take()
{
    while (!open_.empty())
        Close();
    return std::move(out_);
}

} // namespace emulator
