// The proxy object's calls against the service emulator.
#include "host/hasher.h"
#include "pal/bstr.h"
#include "pal/class_factory.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "pal/wide_string.h"
#include "service/scrambled_constant.h"
#include "service/soap_document.h"
#include "tests/support/emulated_service.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

class ServiceCalls : public testing_support::EmulatedServiceTest {
  protected:
    void LogIn() { ASSERT_EQ(S_OK, proxy_->Authenticate(u"demo", u"zenfolio-demo")); }

    std::vector<emulator::RecordedRequest> Soap() const
    {
        auto requests = emulator_->Requests();
        std::erase_if(requests,
                      [](const auto& r) { return r.target.find("/api/1.6/zfapi.asmx") == std::string::npos; });
        return requests;
    }
    static std::u16string Text(IXMLDOMNode* node, const char16_t* xpath)
    {
        pal::Bstr text;
        EXPECT_EQ(S_OK, orvana::GetNodeText(node, xpath, text.ReleaseAndGetAddressOf()));
        return text.Str();
    }
    static bool Contains(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(ServiceCalls, LogsInByChallengeAndCarriesTheTokenFromThenOn)
{
    pal::ComPtr<IXMLDOMNode> profile;
    EXPECT_EQ(E_FAIL, proxy_->LoadPrivateProfile(profile.ReleaseAndGetAddressOf())); // not logged in yet
    ASSERT_FALSE(Soap().empty());
    EXPECT_FALSE(Soap().back().Header("X-Zenfolio-Token"));

    LogIn();
    ASSERT_EQ(S_OK, proxy_->LoadPrivateProfile(profile.ReleaseAndGetAddressOf()));
    ASSERT_TRUE(profile);
    EXPECT_EQ(u"Demo Photographer", Text(profile.Get(), u"z:DisplayName"));
    EXPECT_EQ(u"demo", Text(profile.Get(), u"z:LoginName"));
    const auto token = Soap().back().Header("X-Zenfolio-Token");
    ASSERT_TRUE(token);
    EXPECT_FALSE(token->empty());

    // Every request went through the proxy, in absolute form, and the password never left.
    for (const auto& request : emulator_->Requests()) {
        EXPECT_EQ(0u, request.target.rfind("http://api.zenfolio.com/", 0)) << request.target;
        EXPECT_FALSE(Contains(request.body, "zenfolio-demo"));
        for (const auto& [name, value] : request.headers)
            EXPECT_FALSE(Contains(value, "zenfolio-demo"));
    }
}

TEST_F(ServiceCalls, ASecondLoginCarriesTheFirstTokenAndReplacesIt)
{
    LogIn();
    emulator_->ClearRequests();
    pal::ComPtr<IXMLDOMNode> profile;
    ASSERT_EQ(S_OK, proxy_->LoadPrivateProfile(profile.ReleaseAndGetAddressOf()));
    const std::string first = Soap().back().Header("X-Zenfolio-Token").value_or("");

    LogIn();
    const auto requests = Soap();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(first, requests[1].Header("X-Zenfolio-Token").value_or("")); // GetChallenge of the second login
    EXPECT_EQ(first, requests[2].Header("X-Zenfolio-Token").value_or("")); // its Authenticate
    ASSERT_EQ(S_OK, proxy_->LoadPrivateProfile(profile.ReleaseAndGetAddressOf()));
    EXPECT_NE(first, Soap().back().Header("X-Zenfolio-Token").value_or(first));
}

TEST_F(ServiceCalls, RefusedLoginsFailAndKeepTheEarlierToken)
{
    EXPECT_EQ(E_INVALIDARG, proxy_->Authenticate(u"demo", u""));
    EXPECT_EQ(E_INVALIDARG, proxy_->Authenticate(nullptr, u"x"));
    EXPECT_TRUE(emulator_->Requests().empty());

    EXPECT_EQ(E_FAIL, proxy_->Authenticate(u"demo", u"wrong"));
    LogIn();
    emulator_->InjectFailure(emulator::Failure::RefuseLogin);
    EXPECT_EQ(E_FAIL, proxy_->Authenticate(u"demo", u"zenfolio-demo"));
    emulator_->ClearFailures();
    pal::ComPtr<IXMLDOMNode> profile;
    EXPECT_EQ(S_OK, proxy_->LoadPrivateProfile(profile.ReleaseAndGetAddressOf()));
}

TEST_F(ServiceCalls, SendTheirHeadersInOrder)
{
    LogIn();
    pal::ComPtr<IXMLDOMNode> categories;
    ASSERT_EQ(S_OK, proxy_->GetCategories(categories.ReleaseAndGetAddressOf()));
    const auto request = Soap().back();
    const std::vector<std::string> ours = {"User-Agent", "Content-Type",          "Accept",          "Accept-Language",
                                           "SOAPAction", "X-Zenfolio-User-Agent", "X-Zenfolio-Token"};
    std::vector<std::string> seen;
    for (const auto& [name, value] : request.headers)
        if (std::find(ours.begin(), ours.end(), name) != ours.end()) seen.push_back(name);
    EXPECT_EQ(ours, seen);
    EXPECT_EQ("Orvana/1.9.289.0", request.Header("User-Agent").value_or(""));
    EXPECT_EQ("Orvana/1.9.289.0", request.Header("X-Zenfolio-User-Agent").value_or(""));
    EXPECT_EQ("http://www.zenfolio.com/api/1.6/GetCategories", request.Header("SOAPAction").value_or(""));
    EXPECT_EQ("text/xml; charset=utf-8", request.Header("Content-Type").value_or(""));
}

TEST_F(ServiceCalls, CallsFromSeveralThreadsAtOnceEachCarryTheClientHeader)
{
    // Each call holds the unscrambled header while others take and release
    // it; one more thread does nothing else, so releases fall inside calls;
    // and uploads on the logged-in proxy unscramble their own header line.
    constexpr int kThreads = 4;
    constexpr int kCallsEach = 25;
    constexpr int kUploads = 10;
    LogIn();
    std::string uploadUrl;
    for (const auto& set : emulator_->PhotoSets("demo"))
        if (set.gallery && uploadUrl.empty()) uploadUrl = set.upload_url;
    std::atomic<int> running{kThreads + 1};
    std::atomic<int> uploaded{0};
    std::thread uploads([&] {
        const std::u16string url = pal::ToUtf16(uploadUrl);
        for (int n = 0; n < kUploads; ++n) {
            pal::ComPtr<IStream> source;
            if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, source.ReleaseAndGetAddressOf()))) break;
            ULONG written = 0;
            source->Write("0123456789", 10, &written);
            const LARGE_INTEGER start{};
            source->Seek(start, STREAM_SEEK_SET, nullptr);
            pal::Bstr reply;
            if (proxy_->UploadTo(url.c_str(), u"a.jpg", FILETIME{}, source.Get(), 10, nullptr, nullptr,
                                 reply.ReleaseAndGetAddressOf()) == S_OK)
                ++uploaded;
        }
        --running;
    });
    std::thread churn([&] {
        while (running.load() > 0) {
            const orvana::UnscrambledText name(orvana::ClientHeaderName());
            const orvana::UnscrambledText value(orvana::ClientHeaderValue());
        }
    });
    std::vector<std::thread> threads;
    std::atomic<int> succeeded{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
                pal::ComPtr<IZenfolioProxy> proxy;
                if (SUCCEEDED(pal::CreateComObject<CZenfolioProxy>(nullptr, IID_IZenfolioProxy,
                                                                   proxy.ReleaseAndGetVoidAddress())))
                    for (int n = 0; n < kCallsEach; ++n) {
                        pal::ComPtr<IXMLDOMNode> root;
                        if (proxy->LoadGroupHierarchy(u"demo", root.ReleaseAndGetAddressOf()) == S_OK) ++succeeded;
                    }
                proxy.Reset();
                CoUninitialize();
            }
            --running;
        });
    for (auto& thread : threads)
        thread.join();
    uploads.join();
    churn.join();
    EXPECT_EQ(kThreads * kCallsEach, succeeded.load());
    EXPECT_EQ(kUploads, uploaded.load());
    EXPECT_EQ(static_cast<std::size_t>(kUploads), emulator_->Photos().size());
    const auto requests = Soap();
    ASSERT_EQ(static_cast<std::size_t>(kThreads * kCallsEach + 2), requests.size()) << "and the login's two";
    for (const auto& request : requests) // a name or value read after its release would be garbled
        EXPECT_EQ("Orvana/1.9.289.0", request.Header("X-Zenfolio-User-Agent").value_or(""));
}

TEST_F(ServiceCalls, ReadTheAccountsTree)
{
    LogIn();
    pal::ComPtr<IXMLDOMNode> root;
    ASSERT_EQ(S_OK, proxy_->LoadGroupHierarchy(u"demo", root.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(Text(root.Get(), u"(//z:PhotoSet[z:Type=\"Gallery\"])[3]/z:Id").empty()); // all three galleries
    EXPECT_TRUE(Contains(Soap().back().body, "<loginName>demo</loginName>"));
}

TEST_F(ServiceCalls, PhotoSetRequestsCarryTheirParameters)
{
    LogIn();
    pal::ComPtr<IXMLDOMNode> root, photoSet;
    ASSERT_EQ(S_OK, proxy_->LoadGroupHierarchy(u"demo", root.ReleaseAndGetAddressOf()));
    const std::u16string id = Text(root.Get(), u"(//z:PhotoSet)[1]/z:Id");

    // Any level past the two named ones asks for everything.
    for (const auto& [level, includePhotos, parameters] :
         {std::tuple{LOADPHOTOSETLEVEL_LEVEL1, 0, "<level>Level1</level><includePhotos>false</includePhotos>"},
          std::tuple{LOADPHOTOSETLEVEL_LEVEL2, 0, "<level>Level2</level><includePhotos>false</includePhotos>"},
          std::tuple{static_cast<tagLOADPHOTOSETLEVEL>(7), 2,
                     "<level>Full</level><includePhotos>true</includePhotos>"}}) {
        ASSERT_EQ(S_OK, proxy_->LoadPhotoSet(id.c_str(), level, includePhotos, photoSet.ReleaseAndGetAddressOf()));
        const std::string body = Soap().back().body;
        EXPECT_TRUE(Contains(body, "<photoSetId>" + pal::ToUtf8(id) + "</photoSetId>" + parameters)) << body;
        EXPECT_EQ(id, Text(photoSet.Get(), u"z:Id"));
    }

    // An out parameter that already holds a node sends nothing.
    const auto before = emulator_->Requests().size();
    IXMLDOMNode* held = photoSet.Get();
    EXPECT_EQ(E_INVALIDARG, proxy_->LoadPhotoSet(id.c_str(), LOADPHOTOSETLEVEL_LEVEL1, 0, &held));
    EXPECT_EQ(photoSet.Get(), held);
    EXPECT_EQ(before, emulator_->Requests().size());
}

TEST_F(ServiceCalls, CreatingAGalleryWritesTheUpdaterAndReturnsTheNewSet)
{
    LogIn();
    pal::ComPtr<IXMLDOMNode> root, created;
    ASSERT_EQ(S_OK, proxy_->LoadGroupHierarchy(u"demo", root.ReleaseAndGetAddressOf()));
    const std::u16string group = Text(root.Get(), u"z:Id");

    ASSERT_EQ(S_OK, proxy_->CreatePhotoSet(group.c_str(), static_cast<tagCREATEPHOTOSETTYPE>(5), u"Harbour", u"",
                                           nullptr, u"012003006| 12003000 ", u"", created.ReleaseAndGetAddressOf()));
    const std::string body = Soap().back().body;
    EXPECT_TRUE(Contains(body, "<type>Gallery</type>")) << body;
    EXPECT_TRUE(Contains(body, "<Title>Harbour</Title><Caption/><Keywords/>")) << body;
    EXPECT_TRUE(Contains(body, "<Categories><Category>12003006</Category><Category>12003000</Category></Categories>"
                               "<CustomReference/>"))
        << body;

    const std::u16string newId = Text(created.Get(), u"z:Id");
    EXPECT_FALSE(Text(created.Get(), u"z:UploadUrl").empty());
    const auto sets = emulator_->PhotoSets("demo");
    EXPECT_TRUE(std::any_of(sets.begin(), sets.end(), [&](const auto& set) {
        return std::to_string(set.id) == pal::ToUtf8(newId) && set.title == "Harbour" &&
               set.categories == std::vector<std::int64_t>{12003006, 12003000};
    }));
}

TEST_F(ServiceCalls, FaultsAndForeignRepliesFailTheCall)
{
    LogIn();
    pal::ComPtr<IXMLDOMNode> result;
    for (const auto failure : {emulator::Failure::ServerFault, emulator::Failure::FaultWithOk,
                               emulator::Failure::HtmlError, emulator::Failure::DropConnection}) {
        emulator_->InjectFailure(failure, "GetCategories", 1);
        EXPECT_EQ(E_FAIL, proxy_->GetCategories(result.ReleaseAndGetAddressOf())) << static_cast<int>(failure);
        EXPECT_FALSE(result);
    }
    EXPECT_EQ(S_OK, proxy_->GetCategories(result.ReleaseAndGetAddressOf()));
}

// Accounts whose passwords and salts test the bytes that go into the digests.
class ServiceLogins : public testing_support::EmulatedServiceTest {
  protected:
    emulator::Options EmulatorOptions() override
    {
        const auto accounts = prefix_.Path() / "accounts";
        std::ofstream(accounts) << "[account]\nlogin = ines\npassword = Kaffee-Straße-日本\n\n"
                                   "[account]\nlogin = nosalt\nemail = nosalt@example.com\npassword = plain\nsalt =\n";
        emulator::Options options;
        options.accounts_file = accounts.string();
        return options;
    }
};

TEST_F(ServiceLogins, ANonAsciiPasswordIsDigestedAsUtf8)
{
    EXPECT_EQ(S_OK, proxy_->Authenticate(u"ines", u"Kaffee-Straße-日本"));
    EXPECT_EQ(E_FAIL, proxy_->Authenticate(u"ines", u"Kaffee-Strasse-日本"));
}

TEST_F(ServiceLogins, ASaltOfNoBytesLeavesOnlyThePasswordInTheFirstDigest)
{
    EXPECT_EQ(S_OK, proxy_->Authenticate(u"nosalt@example.com", u"plain"));
    const auto requests = emulator_->Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(std::string::npos, requests.front().body.find("<loginName>nosalt@example.com</loginName>"));
}

// Keeps every stream it digests, as a hasher may, so a test sees what the login
// leaves in them; fails its first digest when told to.
std::vector<pal::ComPtr<IStream>> g_hashedStreams;
bool g_failFirstDigest = false;

class KeepingHasher : public host::Hasher {
  public:
    HRESULT STDMETHODCALLTYPE HashStream(IStream* stream, ULONG selector, BSTR* digest) override
    {
        g_hashedStreams.emplace_back(stream);
        if (g_failFirstDigest && g_hashedStreams.size() == 1) return E_FAIL;
        return Hasher::HashStream(stream, selector, digest);
    }
};

std::string Contents(IStream* stream)
{
    STATSTG stat{};
    EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    EXPECT_EQ(S_OK, stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    bytes.resize(read);
    return bytes;
}

// The first stream holds the salt and the password, the second the challenge
// and the password's digest.
TEST_F(ServiceLogins, TheStreamsItHashesKeepNoPasswordOrDigestAfterALoginWhetherItFailsOrNot)
{
    hostClasses_.reset(); // the keeping hasher takes the host's place
    pal::ComPtr<IClassFactory> factory(new pal::ClassFactory(&pal::CreateComObject<KeepingHasher>));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_HostHasher, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &cookie));
    for (const bool failing : {false, true}) {
        g_hashedStreams.clear();
        g_failFirstDigest = failing;
        const char* login = failing ? "failed login" : "login";
        EXPECT_EQ(failing ? E_FAIL : S_OK, proxy_->Authenticate(W("ines"), W("Kaffee-Straße-日本"))) << login;
        ASSERT_EQ(g_hashedStreams.size(), failing ? 1u : 2u) << login;
        for (const pal::ComPtr<IStream>& stream : g_hashedStreams) {
            const std::string bytes = Contents(stream.Get());
            EXPECT_FALSE(bytes.empty()) << login;
            EXPECT_EQ(std::string::npos, bytes.find_first_not_of('\0')) << login;
        }
    }
    g_hashedStreams.clear();
    EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
}

} // namespace
