#include "host/hasher.h"

#include "pal/hresult_error.h"

#include <memory>
#include <openssl/evp.h>
#include <string>

namespace host {

namespace {

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const noexcept { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextDeleter>;

constexpr ULONG kAlgorithmMask = 0x00FF;
constexpr ULONG kOutputMask = HASHOUT_BINARY | HASHOUT_BASE64;
constexpr ULONG kChunk = 64 * 1024;

const EVP_MD* AlgorithmOf(ULONG selector)
{
    switch (selector & kAlgorithmMask) {
    case HASHALG_MD5:
        return EVP_md5();
    case HASHALG_PROOF:
        return EVP_sha256();
    default:
        return nullptr;
    }
}

// Puts the stream back where the caller had it, on every path.
class PositionKeeper {
  public:
    explicit PositionKeeper(IStream* stream) : stream_(stream)
    {
        pal::ThrowIfFailed(stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position_));
    }
    ~PositionKeeper()
    {
        LARGE_INTEGER back{};
        back.QuadPart = static_cast<LONGLONG>(position_.QuadPart);
        stream_->Seek(back, STREAM_SEEK_SET, nullptr);
    }
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;

  private:
    IStream* stream_;
    ULARGE_INTEGER position_{};
};

std::string Digest(IStream* stream, const EVP_MD* algorithm)
{
    const PositionKeeper keeper(stream);
    pal::ThrowIfFailed(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1) throw pal::HResultError(E_OUTOFMEMORY);
    std::string buffer(kChunk, '\0');
    for (;;) {
        ULONG read = 0;
        pal::ThrowIfFailed(stream->Read(buffer.data(), kChunk, &read));
        if (read == 0) break;
        EVP_DigestUpdate(context.get(), buffer.data(), read);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    return std::string(reinterpret_cast<const char*>(digest), length);
}

std::u16string Base64(const std::string& bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    return std::u16string(text.begin(), text.begin() + length); // Base64 is ASCII
}

} // namespace

HRESULT Hasher::HashStream(IStream* pStream, ULONG dwSelector, BSTR* pbstrDigest)
{
    if (!pbstrDigest) return E_POINTER;
    *pbstrDigest = nullptr;
    if (!pStream) return E_INVALIDARG;
    const EVP_MD* algorithm = AlgorithmOf(dwSelector);
    const ULONG output = dwSelector & kOutputMask;
    if (!algorithm || (output != HASHOUT_BINARY && output != HASHOUT_BASE64)) return E_INVALIDARG;
    return pal::Boundary([&]() -> HRESULT {
        const std::string digest = Digest(pStream, algorithm);
        if (output == HASHOUT_BINARY) {
            *pbstrDigest = SysAllocStringByteLen(digest.data(), static_cast<UINT>(digest.size()));
        } else {
            const std::u16string text = Base64(digest);
            *pbstrDigest = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
        return *pbstrDigest ? S_OK : E_OUTOFMEMORY;
    });
}

} // namespace host
