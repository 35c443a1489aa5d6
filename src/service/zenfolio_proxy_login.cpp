// Login by challenge and response: the password never travels. The service
// hands out a salt and a challenge; the host's hasher turns them and the
// password into a proof; the service answers with the token every later
// request carries.
#include "contract/host_interfaces.h"
#include "contract/secret_buffer.h"
#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/unique_global.h"
#include "pal/utf.h"
#include "pal/wide_string.h"
#include "service/soap_document.h"
#include "service/zenfolio_proxy.h"

#include <objbase.h>
#include <string>
#include <wincrypt.h>

namespace {

constexpr ULONG kRawProof = HASHALG_PROOF | HASHOUT_BINARY;
constexpr ULONG kBase64Proof = HASHALG_PROOF | HASHOUT_BASE64;

// The bytes a Base64 text stands for; the text is taken as UTF-8.
std::string DecodeBase64(const pal::Bstr& text)
{
    const std::string encoded = pal::ToUtf8(text.View());
    if (encoded.empty()) return {};
    DWORD size = 0;
    if (!CryptStringToBinaryA(encoded.c_str(), static_cast<DWORD>(encoded.size()), CRYPT_STRING_BASE64, nullptr, &size,
                              nullptr, nullptr))
        throw pal::HResultError(E_FAIL);
    std::string bytes(size, '\0');
    if (!CryptStringToBinaryA(encoded.c_str(), static_cast<DWORD>(encoded.size()), CRYPT_STRING_BASE64,
                              reinterpret_cast<BYTE*>(bytes.data()), &size, nullptr, nullptr))
        throw pal::HResultError(E_FAIL);
    bytes.resize(size);
    return bytes;
}

orvana::SecretBuffer Utf8Secret(pal::WideView text)
{
    orvana::SecretBuffer bytes(pal::Utf8Size(text));
    pal::EncodeUtf8(text, reinterpret_cast<char*>(bytes.Data()));
    return bytes;
}

// A memory stream holding first, then second, left at its end, for the hasher.
// Both of the login's streams carry a secret, so the block is wiped before the
// stream is let go, whoever else still holds it.
class SecretStream {
  public:
    SecretStream(std::string_view first, std::string_view second)
    {
        pal::ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, stream_.ReleaseAndGetAddressOf()));
        try {
            // Sized once, so growing never leaves a copy in freed memory.
            ULARGE_INTEGER size{};
            size.QuadPart = first.size() + second.size();
            pal::ThrowIfFailed(stream_->SetSize(size));
            pal::ThrowIfFailed(stream_->Write(first.data(), static_cast<ULONG>(first.size()), nullptr));
            pal::ThrowIfFailed(stream_->Write(second.data(), static_cast<ULONG>(second.size()), nullptr));
        } catch (...) {
            Wipe();
            throw;
        }
    }
    ~SecretStream() { Wipe(); }
    SecretStream(const SecretStream&) = delete;
    SecretStream& operator=(const SecretStream&) = delete;

    IStream* Get() const noexcept { return stream_.Get(); }

  private:
    void Wipe() noexcept
    {
        HGLOBAL block = nullptr;
        if (FAILED(GetHGlobalFromStream(stream_.Get(), &block))) return;
        const pal::GlobalLockGuard data(block);
        if (data.Data()) orvana::SecureWipe(data.Data(), data.Size());
    }

    pal::ComPtr<IStream> stream_;
};

} // namespace

pal::ComPtr<IXMLDOMNode> CZenfolioProxy::RequestChallenge(LPCWSTR loginName)
{
    pal::ComPtr<IXMLDOMNode> challenge =
        CallWithTemplate(orvana::kTemplateGetChallenge, [&](IXMLDOMDocument2* request) {
            orvana::SetRequestParameter(request, W("z:loginName"), loginName);
        });
    if (!challenge) throw pal::HResultError(E_FAIL);
    return challenge;
}

HRESULT CZenfolioProxy::Authenticate(LPCWSTR lpszLoginName, LPCWSTR lpszPassword)
{
    if (!lpszLoginName || !*lpszLoginName || !lpszPassword || !*lpszPassword) return E_INVALIDARG;
    return pal::Boundary([&]() -> HRESULT {
        pal::ComPtr<IHostHasher> hasher;
        pal::ThrowIfFailed(CoCreateInstance(CLSID_HostHasher, nullptr, CLSCTX_ALL, IID_IHostHasher,
                                            hasher.ReleaseAndGetVoidAddress()));

        pal::ComPtr<IXMLDOMNode> challengeReply = RequestChallenge(lpszLoginName);

        // A missing field leaves its description as the thread's error info.
        pal::Bstr saltText, challengeText, proof;
        orvana::SecretBstr passwordHash;
        pal::ThrowIfFailed(
            orvana::GetNodeText(challengeReply.Get(), W("z:PasswordSalt"), saltText.ReleaseAndGetAddressOf()));
        const SecretStream salted(DecodeBase64(saltText), Utf8Secret(lpszPassword).View());
        pal::ThrowIfFailed(hasher->HashStream(salted.Get(), kRawProof, passwordHash.ReleaseAndGetAddressOf()));

        pal::ThrowIfFailed(
            orvana::GetNodeText(challengeReply.Get(), W("z:Challenge"), challengeText.ReleaseAndGetAddressOf()));
        const SecretStream challenged(DecodeBase64(challengeText), passwordHash.Bytes());
        // An empty proof leaves its element out, and the service refuses the login.
        hasher->HashStream(challenged.Get(), kBase64Proof, proof.ReleaseAndGetAddressOf());

        pal::ComPtr<IXMLDOMDocument2> request;
        try {
            request = orvana::LoadRequestTemplate(orvana::kTemplateAuthenticate);
        } catch (const pal::HResultError&) {
            // The template is the module's own; failing to load it is never the caller's doing.
            throw pal::HResultError(E_UNEXPECTED);
        }
        orvana::SetRequestParameter(request.Get(), W("z:proof"), proof.Get());
        // The challenge goes back exactly as it came.
        orvana::SetRequestParameter(request.Get(), W("z:challenge"), challengeText.Get());
        challengeReply.Reset();

        const pal::ComPtr<IXMLDOMNode> tokenElement = orvana::CallServiceMethod(request.Get(), client_);
        if (!tokenElement) return E_FAIL;
        pal::Bstr token;
        pal::ThrowIfFailed(orvana::GetNodeText(tokenElement.Get(), W("."), token.ReleaseAndGetAddressOf()));
        client_.token = token.Str();
        return S_OK;
    });
}
