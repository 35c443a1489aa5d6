#include "settings/category_cache.h"

#include "contract/component_strings.h"
#include "pal/bstr.h"
#include "pal/case_fold.h"
#include "pal/com_ptr.h"
#include "pal/registry_key.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"
#include "service/soap_document.h"
#include "settings/category_code.h"
#include "settings/settings_store.h"

#include <array>

namespace orvana {
namespace {

constexpr UINT kIdsNone = 103;
// Cache values are named by nine digits and hold a display name.
constexpr DWORD kMaxCodeLength = 9;
constexpr DWORD kMaxDisplayNameBytes = 1024;
constexpr DWORD kMaxRememberedCodeBytes = 64;

// "?" one character, "*" any run, letters compared without regard to case.
bool MatchesWildcard(pal::WideView pattern, pal::WideView text)
{
    const pal::WideString p = pal::FoldCase(pattern);
    const pal::WideString t = pal::FoldCase(text);
    std::size_t pi = 0, ti = 0, starAt = pal::WideString::npos, resumeAt = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == W('?') || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == W('*')) {
            starAt = pi++;
            resumeAt = ti;
        } else if (starAt != pal::WideString::npos) {
            pi = starAt + 1;
            ti = ++resumeAt;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == W('*'))
        ++pi;
    return pi == p.size();
}

pal::WideString ChoiceKeyPath(OptionalPart subkey1, OptionalPart subkey2)
{
    pal::WideString path = kSettingsKeyPath;
    if (subkey1) {
        path += W('\\');
        path += *subkey1;
        if (subkey2) {
            path += W('\\');
            path += *subkey2;
        }
    }
    return path;
}

std::optional<pal::WideString> NodeText(IXMLDOMNode* node, LPCWSTR xpath)
{
    pal::Bstr text;
    if (FAILED(GetNodeText(node, xpath, text.ReleaseAndGetAddressOf()))) return std::nullopt;
    return pal::WideString(text.View());
}

void SelectByPrefixOrFirst(DropDownList& combo, pal::WideView defaultText)
{
    const int found = FindItemByTextPrefix(combo, defaultText);
    combo.Select(found != DropDownList::kNone ? found : (combo.Count() > 0 ? 0 : DropDownList::kNone));
}

pal::WideString CachePath()
{
    return pal::WideString(kSettingsKeyPath) + W("\\") + kCategoryCacheKey;
}

} // namespace

void RefreshCategoryCache(IZenfolioProxy* proxy)
{
    if (OpenCategoryCache()) return; // no expiry: present means complete

    pal::ComPtr<IXMLDOMNode> reply;
    if (FAILED(proxy->GetCategories(reply.ReleaseAndGetAddressOf())) || !reply) return;

    pal::RegKey settings;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ | KEY_WRITE,
                      settings.ReleaseAndGetAddressOf()) == ERROR_SUCCESS)
        RegDeleteTreeW(settings.Get(), kCategoryCacheKey);

    pal::ComPtr<IXMLDOMNodeList> categories;
    LONG count = 0;
    if (FAILED(reply->selectNodes(pal::Bstr(W("z:Category")).Get(), categories.ReleaseAndGetAddressOf())) ||
        !categories || FAILED(categories->get_length(&count)) || count == 0)
        return;

    pal::RegKey cache;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, CachePath().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, cache.ReleaseAndGetAddressOf(), nullptr) != ERROR_SUCCESS)
        return;
    for (LONG index = 0; index < count; ++index) {
        pal::ComPtr<IXMLDOMNode> category;
        if (FAILED(categories->get_item(index, category.ReleaseAndGetAddressOf())) || !category) continue;
        const auto code = NodeText(category.Get(), W("z:Code"));
        const auto displayName = NodeText(category.Get(), W("z:DisplayName"));
        if (code && displayName)
            pal::SetStringValue(cache.Get(), CategoryCodeFromNumberText(*code).c_str(), *displayName);
    }
}

pal::RegKey OpenCategoryCache()
{
    pal::RegKey cache;
    RegOpenKeyExW(HKEY_CURRENT_USER, CachePath().c_str(), 0, KEY_READ, cache.ReleaseAndGetAddressOf());
    return cache;
}

void FillCategoryCombo(DropDownList& combo, OptionalPart categoryPart, OptionalPart subcategoryPart, HKEY cacheKey,
                       OptionalPart selectPart)
{
    combo.Clear();
    combo.AddItem(ComponentString(kIdsNone), pal::WideString(kNoCategoryCode));

    pal::WideString pattern;
    pal::WideView excludedTail;
    pal::WideView (*partOfLevel)(pal::WideView) = LeftPart;
    if (!categoryPart) {
        pattern = W("???000000");
    } else if (!subcategoryPart) {
        pattern = pal::FormatWide(W("%3.3s???000"), pal::WideString(*categoryPart).c_str());
        excludedTail = W("000000");
        partOfLevel = MiddlePart;
    } else {
        pattern = pal::FormatWide(W("%3.3s%3.3s*"), pal::WideString(*categoryPart).c_str(),
                                  pal::WideString(*subcategoryPart).c_str());
        excludedTail = W("000");
        partOfLevel = RightPart;
    }

    for (DWORD index = 0;; ++index) {
        std::array<WCHAR, kMaxCodeLength + 1> name{};
        std::array<WCHAR, kMaxDisplayNameBytes / sizeof(WCHAR) + 1> data{};
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = kMaxDisplayNameBytes;
        DWORD type = REG_NONE;
        if (RegEnumValueW(cacheKey, index, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<LPBYTE>(data.data()), &dataSize) != ERROR_SUCCESS)
            break;
        const pal::WideView code(name.data(), nameLength);
        const pal::WideView text(data.data());
        if (text.empty() || !MatchesWildcard(pattern, code)) continue;
        if (!excludedTail.empty() && code.ends_with(excludedTail)) continue;
        const int added = combo.AddItem(text, pal::WideString(code));
        if (selectPart && partOfLevel(code) == *selectPart) combo.Select(added);
    }
    if (selectPart && combo.Selected() == DropDownList::kNone && combo.Count() > 0) combo.Select(0);
}

pal::WideString RestoreCategoryChoice(DropDownList& combo, pal::WideView valueName, pal::WideView defaultText,
                                      OptionalPart subkey1, OptionalPart subkey2)
{
    pal::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ChoiceKeyPath(subkey1, subkey2).c_str(), 0, KEY_READ,
                      key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS) {
        SelectByPrefixOrFirst(combo, defaultText);
        return {};
    }

    std::array<WCHAR, kMaxRememberedCodeBytes / sizeof(WCHAR)> buffer{};
    DWORD size = kMaxRememberedCodeBytes;
    DWORD type = REG_NONE;
    pal::WideString remembered;
    if (RegQueryValueExW(key.Get(), pal::WideString(valueName).c_str(), nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) == ERROR_SUCCESS) {
        buffer.back() = W('\0');
        remembered = buffer.data();
    }
    if (!remembered.empty()) {
        const int found = FindItemByData(combo, remembered);
        if (found != DropDownList::kNone) {
            combo.Select(found);
            return remembered;
        }
    }
    if (combo.Selected() == DropDownList::kNone) SelectByPrefixOrFirst(combo, defaultText);
    return remembered;
}

void RememberCategoryChoice(const DropDownList& combo, pal::WideView valueName, OptionalPart subkey1,
                            OptionalPart subkey2)
{
    pal::RegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ChoiceKeyPath(subkey1, subkey2).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, key.ReleaseAndGetAddressOf(), nullptr) != ERROR_SUCCESS)
        return;
    const int selected = combo.Selected();
    const auto code = selected != DropDownList::kNone ? combo.Data(selected) : std::nullopt;
    if (!code) {
        RegDeleteValueW(key.Get(), pal::WideString(valueName).c_str());
        return;
    }
    const pal::WideString digits = CategoryCodeFromNumberText(*code);
    pal::WideString stored;
    if (!subkey1)
        stored = pal::WideString(LeftPart(digits)) + W("000000");
    else if (!subkey2)
        stored = pal::WideString(LeftPart(digits)) + pal::WideString(MiddlePart(digits)) + W("000");
    else
        stored = digits;
    pal::SetStringValue(key.Get(), pal::WideString(valueName).c_str(), stored);
}

} // namespace orvana
