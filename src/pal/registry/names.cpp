#include "pal/registry/names.h"

#include "pal/case_fold.h"
#include "pal/registry/status.h"
#include "pal/utf.h"

namespace pal::registry {

Name MakeName(std::u16string_view text)
{
    return Name{ToUtf8(text), ToUtf8(FoldCase(text))};
}

std::vector<Name> ParseKeyPath(LPCWSTR path)
{
    std::u16string_view rest(path ? path : u"");
    if (rest.empty()) return {};
    if (rest.front() == u'\\') Fail(ERROR_BAD_PATHNAME);
    if (rest.back() == u'\\') rest.remove_suffix(1);

    std::vector<Name> names;
    while (true) {
        const std::size_t end = rest.find(u'\\');
        const std::u16string_view component = rest.substr(0, end);
        if (component.empty()) Fail(ERROR_BAD_PATHNAME);
        if (component.size() > kMaxKeyNameLength) Fail(ERROR_INVALID_PARAMETER);
        names.push_back(MakeName(component));
        if (end == std::u16string_view::npos) return names;
        rest.remove_prefix(end + 1);
    }
}

Name ParseValueName(LPCWSTR name)
{
    const std::u16string_view text(name ? name : u"");
    if (text.size() > kMaxValueNameLength) Fail(ERROR_INVALID_PARAMETER);
    return MakeName(text);
}

bool WriteName(const std::string& name, LPWSTR buffer, LPDWORD count)
{
    const std::u16string text = ToUtf16(name);
    if (text.size() >= *count) {
        *count = static_cast<DWORD>(text.size() + 1);
        return false;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = u'\0';
    *count = static_cast<DWORD>(text.size());
    return true;
}

std::u16string JoinKeyPath(std::u16string_view base, LPCWSTR subKey)
{
    std::u16string path(base);
    if (subKey && *subKey) {
        if (!path.empty()) path += u'\\';
        path += subKey;
    }
    return path;
}

} // namespace pal::registry
