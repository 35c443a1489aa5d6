// The publish run's own cost: N small pictures sent intact to the in-process
// emulator on loopback. The run's overhead is its wall time minus the time
// spent inside UploadTo (from its START report to its END report); the bare
// loop of the same uploads (open, digest, UploadTo), run in the same process,
// is the reference the run is compared with.
//
//   publish_run_bench [--pictures N]
#include "emulator/service_emulator.h"
#include "host/host_classes.h"
#include "host/publishing_host.h"
#include "host/selection.h"
#include "pal/bstr.h"
#include "pal/class_factory.h"
#include "pal/com/activation.h"
#include "pal/com/stream.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "publisher/zenfolio_publisher.h"
#include "service/zenfolio_proxy.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"
#include "tests/support/recording_windows.h"
#include "tests/support/test_pictures.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The publisher as the host gets it, timing each upload from its first report to its last.
class TimedPublisher : public CZenfolioPublisher {
  public:
    HRESULT STDMETHODCALLTYPE UploadProgress(tagUPLOADSTATE state, ULONG total, ULONG done) override
    {
        if (state == UPLOADSTATE_START) uploadStarted_ = Clock::now();
        const HRESULT hr = CZenfolioPublisher::UploadProgress(state, total, done);
        if (state == UPLOADSTATE_END) {
            insideUploads += Clock::now() - uploadStarted_;
            ++uploads;
        }
        return hr;
    }
    Clock::duration insideUploads{};
    int uploads = 0;

  private:
    Clock::time_point uploadStarted_;
};

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The same uploads without the run: what a host would pay for them alone.
Clock::duration BareUploads(IZenfolioProxy* proxy, const std::u16string& url, const host::Selection& selection)
{
    pal::ComPtr<IHostHasher> hasher;
    CoCreateInstance(CLSID_HostHasher, nullptr, CLSCTX_INPROC_SERVER, IID_IHostHasher,
                     hasher.ReleaseAndGetVoidAddress());
    const auto start = Clock::now();
    for (const host::SelectedItem& item : selection.Items()) {
        const std::u16string path = pal::ToUtf16(item.files.front().string());
        const std::u16string name = pal::ToUtf16(item.files.front().filename().string());
        pal::ComPtr<IStream> file;
        SHCreateStreamOnFileW(path.c_str(), STGM_READ, file.ReleaseAndGetAddressOf());
        pal::Bstr digest, reply;
        hasher->HashStream(file.Get(), 0x8001, digest.ReleaseAndGetAddressOf());
        STATSTG stat{};
        file->Stat(&stat, STATFLAG_NONAME);
        proxy->UploadTo(url.c_str(), name.c_str(), FILETIME{}, file.Get(), static_cast<ULONG>(stat.cbSize.QuadPart),
                        digest.Get(), nullptr, reply.ReleaseAndGetAddressOf());
    }
    return Clock::now() - start;
}

} // namespace

int main(int argc, char** argv)
{
    int pictures = 1000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--pictures") pictures = std::max(1, std::atoi(argv[++i]));

    char prefixTemplate[] = "/tmp/orvana-bench-XXXXXX";
    const fs::path prefix = mkdtemp(prefixTemplate);
    setenv("ORVANA_PREFIX", prefix.c_str(), 1);
    const fs::path folder = prefix / "pictures";
    fs::create_directories(folder);
    test_pictures::JpegOptions small;
    small.width = 32;
    small.height = 24;
    for (int n = 0; n < pictures; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.jpg", n);
        test_pictures::WriteJpeg(folder / name, small);
    }

    emulator::ServiceEmulator emulator;
    emulator.Start();
    setenv("http_proxy", emulator.Url().c_str(), 1);
    emulator::PhotoSetInfo gallery;
    for (const auto& set : emulator.PhotoSets("demo"))
        if (set.gallery && !gallery.id) gallery = set;

    int status = 0;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        host::HostClassRegistration hostClasses;
        pal::ComPtr<IClassFactory> proxyClass(new pal::ClassFactory(&pal::CreateComObject<CZenfolioProxy>));
        DWORD cookie = 0;
        CoRegisterClassObject(CLSID_ZenfolioProxy, proxyClass.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);

        host::Selection selection = host::Selection::FromPaths({folder});
        auto hostObject = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
        auto* publishingHost = static_cast<host::PublishingHost*>(hostObject.Get());
        publishingHost->Configure(prefix / "publishing.log", false);
        publishingHost->SetSelection(selection);

        orvana::PublisherState state;
        state.AccountIdentifier = state.LoginName = u"demo";
        state.ProtectedPassword = orvana::ProtectPassword(u"zenfolio-demo");
        state.GalleryId = pal::ToUtf16(std::to_string(gallery.id));
        state.GalleryTitle = pal::ToUtf16(gallery.title);
        state.UploadUrl = pal::ToUtf16(gallery.upload_url);
        pal::ComPtr<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf());
        orvana::SaveState(stream.Get(), state);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);

        pal::ComPtr<IOrvanaPublishingPlugin> plugin;
        pal::CreateComObject<TimedPublisher>(nullptr, IID_IOrvanaPublishingPlugin, plugin.ReleaseAndGetVoidAddress());
        auto* timed = static_cast<TimedPublisher*>(plugin.Get());
        testing_support::RecordingWindows windows;
        plugin->Initialize(hostObject.Get(), 0x409, stream.Get(), 0);
        if (plugin->CanPublish(windows.Status(), TRUE) != S_OK) {
            std::fprintf(stderr, "publish_run_bench: the emulator refused the login\n");
            return 1;
        }

        const std::size_t textsBefore = windows.StatusTexts().size();
        const auto start = Clock::now();
        plugin->Publish(windows.Progress(), windows.Status());
        const Clock::duration run = Clock::now() - start;
        const std::size_t statusWrites = windows.StatusTexts().size() - textsBefore;
        const std::size_t arrived = emulator.Photos().size();

        pal::ComPtr<IZenfolioProxy> proxy;
        pal::CreateComObject<CZenfolioProxy>(nullptr, IID_IZenfolioProxy, proxy.ReleaseAndGetVoidAddress());
        proxy->Authenticate(u"demo", u"zenfolio-demo");
        const Clock::duration bare = BareUploads(proxy.Get(), state.UploadUrl.value(), selection);

        const double overhead = (Ms(run) - Ms(timed->insideUploads)) / pictures;
        std::printf("publish run of %d pictures (%d uploads, %zu arrived)\n", pictures, timed->uploads, arrived);
        std::printf("  run wall time        %9.1f ms  (%.3f ms a picture)\n", Ms(run), Ms(run) / pictures);
        std::printf("  inside UploadTo      %9.1f ms  (%.3f ms a picture)\n", Ms(timed->insideUploads),
                    Ms(timed->insideUploads) / pictures);
        std::printf("  run overhead         %9.3f ms a picture   (target < 2)\n", overhead);
        std::printf("  status-line writes   %9.2f a picture     (target <= 100)\n",
                    static_cast<double>(statusWrites) / pictures);
        std::printf("  bare upload loop     %9.1f ms  (%.3f ms a picture)\n", Ms(bare), Ms(bare) / pictures);
        std::printf("  ratio run / bare loop %8.2f\n", Ms(run) / Ms(bare));
        if (arrived != static_cast<std::size_t>(pictures) || overhead >= 2.0 ||
            statusWrites > static_cast<std::size_t>(pictures) * 100)
            status = 1;
        plugin->Terminate();
        plugin.Reset();
        CoRevokeClassObject(cookie);
    }
    CoUninitialize();
    emulator.Stop();
    fs::remove_all(prefix);
    return status;
}
