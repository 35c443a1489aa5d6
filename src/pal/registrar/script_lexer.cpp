#include "pal/registrar/script_lexer.h"

#include "pal/text/utf.h"

namespace pal::registrar {

namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool Replace(std::u16string_view raw, const ReplacementMap& replacements, std::u16string& out, std::string& message)
{
    out.clear();
    for (std::size_t at = 0; at < raw.size();) {
        const std::size_t percent = raw.find(u'%', at);
        if (percent == std::u16string_view::npos) {
            out.append(raw.substr(at));
            break;
        }
        out.append(raw.substr(at, percent - at));
        const std::size_t close = raw.find(u'%', percent + 1);
        if (close == std::u16string_view::npos) {
            message = "unpaired '%'";
            return false;
        }
        const std::u16string_view name = raw.substr(percent + 1, close - percent - 1);
        if (name.empty()) {
            out.push_back(u'%');
        } else if (auto found = replacements.find(name); found != replacements.end()) {
            out.append(found->second);
        } else {
            message = "no replacement for %" + ToUtf8(name) + "%";
            return false;
        }
        at = close + 1;
    }
    return true;
}

} // namespace

bool Tokenize(std::u16string_view script, const ReplacementMap& replacements, std::vector<Token>& tokens,
              ScriptError& error)
{
    tokens.clear();
    std::size_t line = 1;
    std::size_t at = 0;
    if (!script.empty() && script.front() == u'\xFEFF') at = 1;

    std::u16string raw;
    while (at < script.size()) {
        const char16_t c = script[at];
        if (IsSpace(c)) {
            if (c == u'\n') ++line;
            ++at;
            continue;
        }

        Token token{TokenKind::Word, {}, line};
        raw.clear();
        if (c == u'\'') {
            token.kind = TokenKind::Quoted;
            for (++at;; ++at) {
                if (at == script.size()) {
                    error = {token.line, "unterminated quoted string"};
                    return false;
                }
                if (script[at] == u'\n') ++line;
                if (script[at] != u'\'') {
                    raw.push_back(script[at]);
                } else if (at + 1 < script.size() && script[at + 1] == u'\'') {
                    raw.push_back(u'\'');
                    ++at;
                } else {
                    ++at;
                    break;
                }
            }
            if (at < script.size() && !IsSpace(script[at])) {
                error = {line, "white space expected after a quoted string"};
                return false;
            }
        } else {
            const std::size_t start = at;
            while (at < script.size() && !IsSpace(script[at]))
                ++at;
            raw.assign(script.substr(start, at - start));
            if (raw == u"{") token.kind = TokenKind::OpenBrace;
            if (raw == u"}") token.kind = TokenKind::CloseBrace;
            if (raw == u"=") token.kind = TokenKind::Equals;
        }

        if (!Replace(raw, replacements, token.text, error.message)) {
            error.line = token.line;
            return false;
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

} // namespace pal::registrar
