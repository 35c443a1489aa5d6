#include "emulator/crypto.h"

#include <memory>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace emulator::crypto {
namespace {

struct MdContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::string Digest(const EVP_MD* algorithm, std::string_view first, std::string_view second)
{
    std::unique_ptr<EVP_MD_CTX, MdContextDeleter> context(EVP_MD_CTX_new());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), first.data(), first.size()) != 1 ||
        EVP_DigestUpdate(context.get(), second.data(), second.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        throw std::runtime_error("digest computation failed");
    }
    return std::string(reinterpret_cast<const char*>(digest), length);
}

bool IsBase64Char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

} // namespace

std::string Sha256(std::string_view first, std::string_view second)
{
    return Digest(EVP_sha256(), first, second);
}

std::string Md5(std::string_view data)
{
    return Digest(EVP_md5(), data, {});
}

std::string Base64Encode(std::string_view bytes)
{
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int written =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(written));
    return out;
}

std::optional<std::string> Base64Decode(std::string_view text)
{
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        compact.push_back(c);
    }
    if (compact.size() % 4 != 0) return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && padding < compact.size() && compact[compact.size() - 1 - padding] == '=')
        ++padding;
    for (std::size_t i = 0; i + padding < compact.size(); ++i) {
        if (!IsBase64Char(compact[i])) return std::nullopt;
    }
    if (compact.empty()) return std::string();
    // EVP_DecodeBlock decodes whole groups and counts padding as zero bits.
    std::string out(compact.size() / 4 * 3, '\0');
    const int written =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(compact.data()), static_cast<int>(compact.size()));
    if (written < 0) return std::nullopt;
    out.resize(static_cast<std::size_t>(written) - padding);
    return out;
}

std::string RandomBytes(std::size_t count)
{
    std::string out(count, '\0');
    if (count > 0 && RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(count)) != 1) {
        throw std::runtime_error("random generator failed");
    }
    return out;
}

bool ConstantTimeEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

void Wipe(std::string& secret)
{
    OPENSSL_cleanse(secret.data(), secret.size());
    secret.clear();
}

} // namespace emulator::crypto
