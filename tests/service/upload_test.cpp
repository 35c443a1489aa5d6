// Photo uploads to the emulator: what arrives, the progress reports, cancel at
// each report, the service's and the transport's failures, and bad sources.
#include "emulator/crypto.h"
#include "pal/base/handle_table.h"
#include "pal/bstr.h"
#include "pal/http/session_worker.h"
#include "pal/proxy/automatic_proxy_config.h"
#include "pal/utf.h"
#include "tests/pal/http/loopback_server.h"
#include "tests/support/emulated_service.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A source of the given bytes that can fail or end early at a byte offset.
class Source final : public ISequentialStream {
  public:
    explicit Source(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t failAt = std::string::npos; // Read fails once this many bytes are given
    std::size_t endAt = std::string::npos;  // reads give nothing from here on

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_ISequentialStream) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<ISequentialStream*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override
    {
        const std::size_t end = std::min({bytes_.size(), endAt, position_ + size});
        const std::size_t n = end > position_ ? end - position_ : 0;
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        *read = static_cast<ULONG>(n);
        if (position_ >= failAt) return STG_E_READFAULT;
        return n < size ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

  private:
    std::string bytes_;
    std::size_t position_ = 0;
};

struct Report {
    tagUPLOADSTATE state;
    ULONG total, done;
};

// Records every report and answers E_ABORT to the one chosen.
class Progress final : public IUploadProgressCallback {
  public:
    tagUPLOADSTATE abortState = UPLOADSTATE_CANCELLED; // never reported
    int abortOccurrence = 1;
    std::vector<Report> reports;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IUploadProgressCallback ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE UploadProgress(tagUPLOADSTATE state, ULONG total, ULONG done) override
    {
        reports.push_back({state, total, done});
        if (state == abortState && --abortOccurrence == 0) return E_ABORT;
        return S_OK;
    }
    std::vector<tagUPLOADSTATE> States() const
    {
        std::vector<tagUPLOADSTATE> states;
        for (const auto& report : reports)
            states.push_back(report.state);
        return states;
    }
};

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t x = 2463534242u;
    for (auto& byte : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte = static_cast<char>(x);
    }
    return bytes;
}

std::u16string Md5Base64(const std::string& bytes)
{
    return pal::ToUtf16(emulator::crypto::Base64Encode(emulator::crypto::Md5(bytes)));
}

class Upload : public testing_support::EmulatedServiceTest {
  protected:
    void SetUp() override
    {
        EmulatedServiceTest::SetUp();
        uploadUrl_ = LogInAndFindUploadUrl();
        ASSERT_FALSE(uploadUrl_.empty());
        openHandles_ = pal::handles::OpenCount(pal::HandleKind::Internet);
    }
    void TearDown() override
    {
        pal::http::SetTimeoutScaleForTesting(1);
        EmulatedServiceTest::TearDown();
    }

    HRESULT Send(Source& source, std::size_t size, const std::u16string& md5 = u"", Progress* progress = nullptr,
                 LPCWSTR name = u"IMG_0001.jpg", FILETIME modified = {})
    {
        const HRESULT hr = proxy_->UploadTo(uploadUrl_.c_str(), name, modified, &source, static_cast<ULONG>(size),
                                            md5.c_str(), progress, reply_.ReleaseAndGetAddressOf());
        EXPECT_EQ(pal::handles::OpenCount(pal::HandleKind::Internet), openHandles_) << "no handle is left open";
        return hr;
    }
    std::u16string Reply() const { return reply_.Get() ? std::u16string(reply_.Get()) : u"(null)"; }

    std::u16string uploadUrl_;
    pal::Bstr reply_;
    std::size_t openHandles_ = 0;
};

TEST_F(Upload, ArrivesByteExactWithItsDigestAndReportsProgressInOrder)
{
    for (const std::size_t size : {std::size_t{10}, std::size_t{65536}, std::size_t{65537}, std::size_t{50} << 20}) {
        SCOPED_TRACE(size);
        const std::string bytes = Pattern(size);
        Source source(bytes);
        Progress progress;
        ASSERT_EQ(S_OK, Send(source, size, Md5Base64(bytes), &progress));
        const auto photos = emulator_->Photos();
        ASSERT_FALSE(photos.empty());
        EXPECT_TRUE(photos.back().bytes == bytes);
        EXPECT_EQ(Reply(), pal::ToUtf16(std::to_string(photos.back().id))) << "the id, trimmed";
        EXPECT_EQ(photos.back().file_name, "IMG_0001.jpg");
        EXPECT_EQ(photos.back().content_type, "image/jpeg");

        const std::size_t chunks = (size + 65535) / 65536;
        std::vector<tagUPLOADSTATE> expected{UPLOADSTATE_START, UPLOADSTATE_STARTIMAGE};
        expected.insert(expected.end(), chunks + 1, UPLOADSTATE_IMAGE);
        expected.insert(expected.end(), {UPLOADSTATE_ENDIMAGE, UPLOADSTATE_END});
        EXPECT_EQ(progress.States(), expected);
        ULONG done = 0;
        for (const auto& report : progress.reports) {
            EXPECT_EQ(report.total, size);
            EXPECT_GE(report.done, done);
            done = report.done;
        }
        EXPECT_EQ(progress.reports[progress.reports.size() - 3].done, size) << "the last IMAGE has every byte";
    }
}

TEST_F(Upload, SendsItsHeadersInOrderAndEncodesTheNameAndDateByteForByte)
{
    const std::string bytes = Pattern(100);
    Source source(bytes);
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    // 2024-07-05 12:03:09 UTC, summer time in Berlin.
    const ULONGLONG ticks = (1720180989ull + 11644473600ull) * 10000000ull;
    const FILETIME modified{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const HRESULT hr = Send(source, bytes.size(), Md5Base64(bytes), nullptr, u"Mein Foto.ü.png", modified);
    unsetenv("TZ");
    tzset();
    ASSERT_EQ(S_OK, hr);
    const auto requests = emulator_->Requests();
    const auto& upload = requests.back();
    EXPECT_TRUE(upload.target.ends_with("?filename=Mein%20Foto%2E%C3%BC%2Epng&modified=Fri%2C%205%20Jul%202024%20"
                                        "14%3A03%3A09"))
        << upload.target;
    std::vector<std::string> names;
    for (const auto& [name, value] : upload.headers)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Host", "User-Agent", "X-Zenfolio-Token", "Content-Type", "Content-MD5",
                                               "X-Zenfolio-User-Agent", "Content-Length"}));
    EXPECT_EQ(upload.Header("User-Agent").value_or(""), "Orvana/1.9.289.0");
    EXPECT_EQ(upload.Header("X-Zenfolio-User-Agent").value_or(""), "Orvana/1.9.289.0");
    EXPECT_EQ(upload.Header("Content-Type").value_or(""), "image/png");

    Source again(bytes);
    ASSERT_EQ(S_OK, Send(again, bytes.size(), u"", nullptr, u"noextension", FILETIME{5, 0}));
    const auto last = emulator_->Requests().back();
    EXPECT_TRUE(last.target.ends_with("?filename=noextension")) << "half a date sends none: " << last.target;
    EXPECT_EQ(last.Header("Content-Type").value_or(""), "image/jpeg");
    EXPECT_FALSE(last.Header("Content-MD5"));
}

TEST_F(Upload, ACancelAtStartInTheMiddleOrAtTheEndAnswersAbortedAndKeepsOrDropsThePhoto)
{
    const std::string bytes = Pattern(300000);
    const std::size_t before = emulator_->Requests().size();
    {
        Source source(bytes);
        Progress progress;
        progress.abortState = UPLOADSTATE_START;
        EXPECT_EQ(E_ABORT, Send(source, bytes.size(), u"", &progress));
        EXPECT_EQ(Reply(), u"Aborted");
        EXPECT_EQ(progress.States(), std::vector<tagUPLOADSTATE>{UPLOADSTATE_START});
        EXPECT_EQ(emulator_->Requests().size(), before) << "nothing was sent";
    }
    {
        Source source(bytes);
        Progress progress;
        progress.abortState = UPLOADSTATE_IMAGE;
        progress.abortOccurrence = 2;
        EXPECT_EQ(E_ABORT, Send(source, bytes.size(), u"", &progress));
        EXPECT_EQ(Reply(), u"Aborted");
        EXPECT_EQ(progress.States().back(), UPLOADSTATE_END);
        EXPECT_EQ(progress.States().size(), 7u) << "START, STARTIMAGE, two IMAGE, IMAGE, ENDIMAGE, END";
        EXPECT_TRUE(emulator_->Photos().empty());
    }
    {
        Source source(bytes);
        Progress progress;
        progress.abortState = UPLOADSTATE_END;
        EXPECT_EQ(E_ABORT, Send(source, bytes.size(), u"", &progress));
        EXPECT_EQ(Reply(), u"Aborted") << "replaces the service's reply";
        EXPECT_EQ(emulator_->Photos().size(), 1u) << "the photo went through before END";
    }
}

TEST_F(Upload, AnHttpErrorIsARepliedUploadButTransportFailuresFailIt)
{
    const std::string bytes = Pattern(5000);
    emulator_->InjectFailure(emulator::Failure::ServerFault, emulator::kUploadEndpoint, 1);
    Source refused(bytes);
    EXPECT_EQ(S_OK, Send(refused, bytes.size()));
    EXPECT_NE(Reply().find(u"E_UNSPECIFIEDERROR"), std::u16string::npos) << pal::ToUtf8(Reply());

    emulator_->InjectFailure(emulator::Failure::DropConnection, emulator::kUploadEndpoint, 1);
    Source dropped(bytes);
    EXPECT_EQ(E_FAIL, Send(dropped, bytes.size()));
    EXPECT_EQ(Reply(), u"");

    pal::http::SetTimeoutScaleForTesting(0.005); // receive: 1.8 s
    emulator_->SetStallDuration(20s);
    emulator_->InjectFailure(emulator::Failure::Stall, emulator::kUploadEndpoint, 1);
    Source stalled(bytes);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(E_FAIL, Send(stalled, bytes.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s) << "the time-out, not the server, ended it";
    emulator_->ClearFailures();
}

TEST_F(Upload, ASourceThatFailsOrEndsEarlyFailsPromptly)
{
    const std::string bytes = Pattern(200000);
    Source failing(bytes);
    failing.failAt = 70000;
    EXPECT_EQ(E_FAIL, Send(failing, bytes.size()));
    Source shortSource(bytes);
    shortSource.endAt = 150000;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(E_FAIL, Send(shortSource, bytes.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_TRUE(emulator_->Photos().empty());
}

TEST_F(Upload, BadArgumentsAndAMissingTokenSendNothing)
{
    Source source("abc");
    Progress progress;
    pal::Bstr reply;
    const FILETIME none{};
    const auto call = [&](LPCWSTR url, LPCWSTR name, ISequentialStream* from, ULONG size, BSTR* out) {
        return proxy_->UploadTo(url, name, none, from, size, nullptr, &progress, out);
    };
    EXPECT_EQ(E_INVALIDARG, call(nullptr, u"a.jpg", &source, 3, reply.ReleaseAndGetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, call(uploadUrl_.c_str(), u"", &source, 3, reply.ReleaseAndGetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, call(uploadUrl_.c_str(), u"a.jpg", nullptr, 3, reply.ReleaseAndGetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, call(uploadUrl_.c_str(), u"a.jpg", &source, 0, reply.ReleaseAndGetAddressOf()));
    EXPECT_EQ(E_INVALIDARG, call(uploadUrl_.c_str(), u"a.jpg", &source, 3, nullptr));
    EXPECT_EQ(E_INVALIDARG, call(u"not a url", u"a.jpg", &source, 3, reply.ReleaseAndGetAddressOf()));
    const std::u16string longHost = u"http://" + std::u16string(600, u'h') + u"/p";
    EXPECT_EQ(E_INVALIDARG, call(longHost.c_str(), u"a.jpg", &source, 3, reply.ReleaseAndGetAddressOf()));

    pal::ComPtr<IZenfolioProxy> fresh;
    ASSERT_EQ(S_OK,
              pal::CreateComObject<CZenfolioProxy>(nullptr, IID_IZenfolioProxy, fresh.ReleaseAndGetVoidAddress()));
    EXPECT_EQ(E_UNEXPECTED, fresh->UploadTo(uploadUrl_.c_str(), u"a.jpg", none, &source, 3, nullptr, &progress,
                                            reply.ReleaseAndGetAddressOf()));
    EXPECT_TRUE(progress.reports.empty()) << "checks come before START";
}

// A loopback port where nothing listens.
std::u16string RefusingAddress()
{
    const pal::UniqueFd unused(socket(AF_INET, SOCK_STREAM, 0));
    return u"127.0.0.1:" + pal::ToUtf16(std::to_string(testing_support::BindLoopback(unused.Get())));
}

TEST_F(Upload, ADetectedListFailsOverToItsNextProxyButAStaticListNever)
{
    const std::string bytes = Pattern(1000);
    const std::u16string emulatorAddress = pal::ToUtf16(emulator_->Url().substr(7)); // after "http://"
    const std::u16string list = RefusingAddress() + u"; " + emulatorAddress;

    pal::SetDetectedProxyListForTesting(list);
    Source detected(bytes);
    const HRESULT viaSecond = Send(detected, bytes.size());
    pal::SetDetectedProxyListForTesting(std::nullopt);
    EXPECT_EQ(S_OK, viaSecond) << "the refused first proxy gave way to the second";
    EXPECT_EQ(emulator_->Photos().size(), 1u);

    proxyEnvironment_.Set("http_proxy", pal::ToUtf8(list.substr(0, list.find(u';'))));
    Source configured(bytes);
    EXPECT_EQ(E_FAIL, Send(configured, bytes.size())) << "a static proxy is final";
    EXPECT_EQ(emulator_->Photos().size(), 1u);
}

} // namespace
