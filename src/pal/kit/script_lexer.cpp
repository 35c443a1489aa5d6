#include "script_lexer.h"

#include "pal/utf.h"
#include "pal/wide_string.h"

namespace pal::registrar {

namespace {

bool IsSpace(WCHAR c)
{
    return c == W(' ') || c == W('\t') || c == W('\r') || c == W('\n') || c == W('\v') || c == W('\f');
}

bool Replace(pal::WideView raw, const ReplacementMap& replacements, pal::WideString& out, std::string& message)
{
    out.clear();
    for (std::size_t at = 0; at < raw.size();) {
        const std::size_t percent = raw.find(W('%'), at);
        if (percent == pal::WideView::npos) {
            out.append(raw.substr(at));
            break;
        }
        out.append(raw.substr(at, percent - at));
        const std::size_t close = raw.find(W('%'), percent + 1);
        if (close == pal::WideView::npos) {
            message = "unpaired '%'";
            return false;
        }
        const pal::WideView name = raw.substr(percent + 1, close - percent - 1);
        if (name.empty()) {
            out.push_back(W('%'));
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

bool Tokenize(pal::WideView script, const ReplacementMap& replacements, std::vector<Token>& tokens, ScriptError& error)
{
    tokens.clear();
    std::size_t line = 1;
    std::size_t at = 0;
    if (!script.empty() && script.front() == W('\xFEFF')) at = 1;

    pal::WideString raw;
    while (at < script.size()) {
        const WCHAR c = script[at];
        if (IsSpace(c)) {
            if (c == W('\n')) ++line;
            ++at;
            continue;
        }

        Token token{TokenKind::Word, {}, line};
        raw.clear();
        if (c == W('\'')) {
            token.kind = TokenKind::Quoted;
            for (++at;; ++at) {
                if (at == script.size()) {
                    error = {token.line, "unterminated quoted string"};
                    return false;
                }
                if (script[at] == W('\n')) ++line;
                if (script[at] != W('\'')) {
                    raw.push_back(script[at]);
                } else if (at + 1 < script.size() && script[at + 1] == W('\'')) {
                    raw.push_back(W('\''));
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
            if (raw == W("{")) token.kind = TokenKind::OpenBrace;
            if (raw == W("}")) token.kind = TokenKind::CloseBrace;
            if (raw == W("=")) token.kind = TokenKind::Equals;
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
