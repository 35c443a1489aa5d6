#include "pal/xml/selection_namespaces.h"

namespace pal::xml {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Close enough to NCName for prefixes: the ASCII punctuation XML forbids is
// refused, anything beyond ASCII is let through as a name character.
bool IsNameChar(char c, bool first)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return !first && ((c >= '0' && c <= '9') || c == '-' || c == '.');
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    void SkipSpace()
    {
        while (pos_ < text_.size() && IsSpace(text_[pos_]))
            ++pos_;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool Take(std::string_view literal)
    {
        if (text_.substr(pos_, literal.size()) != literal) return false;
        pos_ += literal.size();
        return true;
    }
    std::string Name()
    {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_], pos_ == start))
            ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }
    std::optional<std::string> Quoted()
    {
        if (AtEnd() || (text_[pos_] != '\'' && text_[pos_] != '"')) return std::nullopt;
        const char quote = text_[pos_++];
        const std::size_t end = text_.find(quote, pos_);
        if (end == std::string_view::npos) return std::nullopt;
        std::string value(text_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return value;
    }
    bool AtSpaceOrEnd() const { return AtEnd() || IsSpace(text_[pos_]); }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

std::optional<std::vector<NamespaceBinding>> ParseSelectionNamespaces(std::string_view text)
{
    std::vector<NamespaceBinding> bindings;
    Reader reader(text);
    reader.SkipSpace();
    while (!reader.AtEnd()) {
        if (!reader.Take("xmlns")) return std::nullopt;
        std::string prefix;
        const bool prefixed = reader.Take(":");
        if (prefixed) {
            prefix = reader.Name();
            if (prefix.empty() || prefix == "xmlns") return std::nullopt;
        }
        reader.SkipSpace();
        if (!reader.Take("=")) return std::nullopt;
        reader.SkipSpace();
        auto uri = reader.Quoted();
        if (!uri || (prefixed && uri->empty())) return std::nullopt;
        // Declarations need white space between them, as attributes do.
        if (!reader.AtSpaceOrEnd()) return std::nullopt;
        reader.SkipSpace();
        if (prefixed) bindings.push_back({std::move(prefix), std::move(*uri)});
    }
    return bindings;
}

} // namespace pal::xml
