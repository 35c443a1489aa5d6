// orvana-host service ... upload: one file through the proxy's UploadTo, with
// a progress line on the terminal and Ctrl-C answering E_ABORT at the next
// report.
#include "host/upload_command.h"

#include "contract/host_interfaces.h"
#include "host/commands.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com/stream.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int)
{
    g_interrupted.store(true);
}

// SIGINT sets the flag for the life of the upload; the previous handler comes back after.
class InterruptFlag {
  public:
    InterruptFlag()
    {
        g_interrupted.store(false);
        struct sigaction action {};
        action.sa_handler = &OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptFlag() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptFlag(const InterruptFlag&) = delete;
    InterruptFlag& operator=(const InterruptFlag&) = delete;

  private:
    struct sigaction previous_ {};
};

std::string Megabytes(double bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

// Draws the line in place on a terminal; elsewhere prints a line per tenth.
class ConsoleProgress final : public IUploadProgressCallback {
  public:
    explicit ConsoleProgress(bool terminal) : terminal_(terminal) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IUploadProgressCallback ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    // Lives on the command's stack for the whole upload.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE UploadProgress(tagUPLOADSTATE state, ULONG total, ULONG done) override
    {
        if (state == UPLOADSTATE_START) started_ = std::chrono::steady_clock::now();
        if (state == UPLOADSTATE_IMAGE || state == UPLOADSTATE_ENDIMAGE) Draw(total, done);
        if (state == UPLOADSTATE_END && terminal_) std::fputc('\n', stderr);
        return g_interrupted.load() ? E_ABORT : S_OK;
    }

  private:
    void Draw(ULONG total, ULONG done)
    {
        const double fraction = total ? static_cast<double>(done) / total : 1.0;
        const int tenth = static_cast<int>(fraction * 10);
        if (!terminal_ && tenth == lastTenth_) return;
        lastTenth_ = tenth;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(fraction * kWidth);
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(kWidth, ' ');
        const std::string rate = seconds > 0.05 ? Megabytes(done / seconds) + "/s" : "";
        std::fprintf(stderr, "%s[%s] %3d%%  %s of %s  %-12s%s", terminal_ ? "\r" : "", bar.c_str(),
                     static_cast<int>(fraction * 100), Megabytes(done).c_str(), Megabytes(total).c_str(), rate.c_str(),
                     terminal_ ? "" : "\n");
        std::fflush(stderr);
    }

    const bool terminal_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    int lastTenth_ = -1;
};

// The Base64 MD5 of the whole file, through the host's hasher as the publisher gets it.
std::u16string ContentMd5(IStream* file)
{
    pal::ComPtr<IHostHasher> hasher;
    pal::Bstr digest;
    if (FAILED(CoCreateInstance(CLSID_HostHasher, nullptr, CLSCTX_INPROC_SERVER, IID_IHostHasher,
                                hasher.ReleaseAndGetVoidAddress())) ||
        FAILED(hasher->HashStream(file, 0x8001, digest.ReleaseAndGetAddressOf())))
        throw std::runtime_error("cannot digest the file");
    return std::u16string(digest.View());
}

// The file's modification time as a FILETIME (100 ns since 1601, UTC).
FILETIME ModifiedTime(const struct stat& info)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(info.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                            static_cast<ULONGLONG>(info.st_mtim.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

int RunUpload(IZenfolioProxy* proxy, const std::string& path, const Arguments& args)
{
    const std::string url = OptionValue(args, "--gallery-url");
    if (url.empty()) throw std::runtime_error("upload needs --gallery-url URL (the gallery's UploadUrl)");
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        throw std::runtime_error("cannot read the file " + path);
    if (info.st_size == 0 || static_cast<unsigned long long>(info.st_size) > 0xFFFFFFFFull)
        throw std::runtime_error(path + " is empty or larger than 4 GB, which one upload cannot carry");

    const std::u16string widePath = pal::ToUtf16(path);
    pal::ComPtr<IStream> file;
    if (FAILED(
            SHCreateStreamOnFileW(widePath.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, file.ReleaseAndGetAddressOf())))
        throw std::runtime_error("cannot open the file " + path);
    const std::u16string md5 = ContentMd5(file.Get());
    std::string name = OptionValue(args, "--name");
    if (name.empty()) name = std::filesystem::path(path).filename().string();

    const std::u16string wideUrl = pal::ToUtf16(url), wideName = pal::ToUtf16(name);
    ConsoleProgress progress(isatty(STDERR_FILENO) != 0);
    pal::Bstr reply;
    HRESULT hr;
    {
        InterruptFlag interrupt;
        hr = proxy->UploadTo(wideUrl.c_str(), wideName.c_str(), ModifiedTime(info), file.Get(),
                             static_cast<ULONG>(info.st_size), md5.c_str(), &progress, reply.ReleaseAndGetAddressOf());
    }
    const std::string text = pal::ToUtf8(reply.View());
    if (hr == E_ABORT) {
        std::fprintf(stderr, "orvana-host: upload cancelled\n");
        return 1;
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "orvana-host: upload failed: HRESULT 0x%08x%s%s\n", static_cast<unsigned>(hr),
                     text.empty() ? "" : ": ", text.c_str());
        return 1;
    }
    std::cout << text << '\n';
    return 0;
}

} // namespace host
