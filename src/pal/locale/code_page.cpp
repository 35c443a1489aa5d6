#include "pal/locale/code_page.h"

#include "pal/base/last_error.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace {

constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

std::string ThreadCharset()
{
    const locale_t current = uselocale(static_cast<locale_t>(0));
    const char* name = current == LC_GLOBAL_LOCALE ? nl_langinfo(CODESET) : nl_langinfo_l(CODESET, current);
    return name && *name ? name : "ANSI_X3.4-1968";
}

// Converts with iconv, one replacement per byte that cannot be read.
bool Convert(const std::string& charset, const char* bytes, std::size_t size, bool strict, std::u16string& out)
{
    const iconv_t converter = iconv_open("UTF-16LE", charset.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = size;
    std::string wide(size * 4 + 4, '\0');
    char* outPointer = wide.data();
    std::size_t outLeft = wide.size();
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &outPointer, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) {
            ok = false;
            break;
        }
        if (strict) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            ok = false;
            break;
        }
        ++in; // skip the byte, write U+FFFD
        --inLeft;
        std::memcpy(outPointer, "\xFD\xFF", 2);
        outPointer += 2;
        outLeft -= 2;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    if (!ok) return false;
    out.resize((wide.size() - outLeft) / 2);
    std::memcpy(out.data(), wide.data(), out.size() * 2);
    return true;
}

} // namespace

STDAPI_(int)
MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                    int cchWideChar)
{
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && !lpWideCharStr) || (dwFlags & ~MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string charset;
    if (CodePage == CP_UTF8) {
        charset = "UTF-8";
    } else if (CodePage == CP_ACP || CodePage == CP_THREAD_ACP) {
        charset = ThreadCharset();
    } else {
        charset = "CP" + std::to_string(CodePage);
    }
    const std::size_t size =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    std::u16string wide;
    if (!Convert(charset, lpMultiByteStr, size, (dwFlags & MB_ERR_INVALID_CHARS) != 0, wide)) {
        if (GetLastError() != ERROR_NO_UNICODE_TRANSLATION) SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cchWideChar == 0) return static_cast<int>(wide.size());
    if (wide.size() > static_cast<std::size_t>(cchWideChar)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpWideCharStr, wide.data(), wide.size() * sizeof(WCHAR));
    return static_cast<int>(wide.size());
}
