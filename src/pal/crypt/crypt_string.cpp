#include "pal/crypt/crypt_string.h"

#include <cstring>
#include <memory>
#include <openssl/evp.h>
#include <string>
#include <vector>

namespace {

struct EncodeContextDeleter {
    void operator()(EVP_ENCODE_CTX* context) const noexcept { EVP_ENCODE_CTX_free(context); }
};

// Decodes all of the text; false when it is not Base64.
bool DecodeBase64(const char* text, std::size_t length, std::vector<BYTE>& out)
{
    std::string compact;
    compact.reserve(length);
    for (std::size_t n = 0; n < length; ++n) {
        const char c = text[n];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        compact += c;
    }
    if (compact.size() % 4 != 0) return false;
    std::unique_ptr<EVP_ENCODE_CTX, EncodeContextDeleter> context(EVP_ENCODE_CTX_new());
    if (!context) return false;
    out.assign(compact.size() / 4 * 3 + 3, 0);
    EVP_DecodeInit(context.get());
    int written = 0;
    if (EVP_DecodeUpdate(context.get(), out.data(), &written, reinterpret_cast<const unsigned char*>(compact.data()),
                         static_cast<int>(compact.size())) < 0)
        return false;
    int tail = 0;
    if (EVP_DecodeFinal(context.get(), out.data() + written, &tail) != 1) return false;
    out.resize(static_cast<std::size_t>(written + tail));
    return true;
}

} // namespace

STDAPI_(BOOL)
CryptStringToBinaryA(LPCSTR pszString, DWORD cchString, DWORD dwFlags, BYTE* pbBinary, DWORD* pcbBinary, DWORD* pdwSkip,
                     DWORD* pdwFlags)
{
    if (!pszString || !pcbBinary || dwFlags != CRYPT_STRING_BASE64) return FALSE;
    const std::size_t length = cchString ? cchString : std::strlen(pszString);
    std::vector<BYTE> bytes;
    if (!DecodeBase64(pszString, length, bytes)) return FALSE;
    if (pdwSkip) *pdwSkip = 0;
    if (pdwFlags) *pdwFlags = CRYPT_STRING_BASE64;
    const auto needed = static_cast<DWORD>(bytes.size());
    if (!pbBinary) {
        *pcbBinary = needed;
        return TRUE;
    }
    if (*pcbBinary < needed) {
        *pcbBinary = needed;
        return FALSE;
    }
    if (needed) std::memcpy(pbBinary, bytes.data(), needed);
    *pcbBinary = needed;
    return TRUE;
}
