// Picture preparation against the tools that do the same job, on a
// 24-megapixel camera-like JPEG made for the run:
//
//   image_preparation_bench [--rounds N] [--keep FOLDER]
//
// - pixels intact against an exiv2 metadata rewrite of a copy
//   (`exiv2 -M"set ..." mo`) and against `jpegtran -copy none`;
// - resample to a 2048-pixel long edge at quality 0.85 and 4:4:4 against
//   `vipsthumbnail --size 2048 -o out.jpg[Q=85,subsample_mode=off]`, with the
//   peak memory of a process doing only that against vipsthumbnail's.
//
// The preparation is timed up to the finished output stream; the MD5 the
// upload needs is timed apart. Times are medians of the rounds; the tools are
// timed as processes, so their figure includes their start, which is printed
// too (each tool's --version).
#include "contract/host_interfaces.h"
#include "host/host_classes.h"
#include "host/publishing_host.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/utf.h"
#include "picture_encoding.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <functional>
#include <jpeglib.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr LONG kLongEdge = 2048;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Texture like a photograph's: smooth light with fine grain, so the file is
// about as large as a camera's at this size.
void WriteCameraLikeJpeg(const fs::path& path)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + path.string());
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    cinfo.comp_info[0].h_samp_factor = 2; // 4:2:2, as cameras write
    cinfo.comp_info[0].v_samp_factor = 1;
    cinfo.density_unit = 1;
    cinfo.X_density = cinfo.Y_density = 300;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(kWidth * 3);
    std::uint32_t noise = 2463534242u;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int grain = static_cast<int>(noise % 25) - 12;
            const int light = 128 + static_cast<int>(60 * std::sin(x / 300.0) * std::cos(y / 220.0));
            row[x * 3 + 0] = static_cast<JSAMPLE>(std::clamp(light + grain + x * 40 / kWidth, 0, 255));
            row[x * 3 + 1] = static_cast<JSAMPLE>(std::clamp(light + grain - 20, 0, 255));
            row[x * 3 + 2] = static_cast<JSAMPLE>(std::clamp(light + grain + y * 40 / kHeight - 30, 0, 255));
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);

    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    exif["Exif.Image.Make"] = "Bench Camera Co.";
    exif["Exif.Image.Model"] = "BC-24";
    exif["Exif.Image.Artist"] = "Bench";
    exif["Exif.Image.Copyright"] = "(c) Bench";
    exif["Exif.Image.Orientation"] = uint16_t(1);
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
    exif["Exif.Photo.FNumber"] = Exiv2::URational(56, 10);
    exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(200);
    exif["Exif.Photo.DateTimeOriginal"] = "2024:05:06 07:08:09";
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    exif["Exif.GPSInfo.GPSLatitude"] = "48/1 51/1 3024/100";
    image->xmpData()["Xmp.xmp.Rating"] = "4";
    image->iptcData()["Iptc.Application2.Caption"] = "A bench picture";
    image->writeMetadata();
}

struct Run {
    double seconds = 0;
    long peakKb = 0;
    int status = 0;
};

// Runs argv and waits for it. Called in a launcher process started afresh
// (see Measure), because a child's peak memory counts what it inherited at
// fork: a tool forked straight from this process would report this
// process's size.
Run RunProcess(char** argv)
{
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (!std::getenv("BENCH_VERBOSE")) {
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
        }
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = Seconds(Clock::now() - start);
    run.peakKb = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// `--launch FILE ARGV...`: runs ARGV and writes its time, peak memory and status to FILE.
int Launch(const char* report, char** argv)
{
    const Run run = RunProcess(argv);
    FILE* out = std::fopen(report, "w");
    if (!out) return 1;
    std::fprintf(out, "%.9f %ld %d\n", run.seconds, run.peakKb, run.status);
    std::fclose(out);
    return 0;
}

Run Measure(const std::vector<std::string>& argv)
{
    static const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string report = (fs::temp_directory_path() / ("bench-run-" + std::to_string(getpid()))).string();
    std::vector<std::string> launch = {self, "--launch", report};
    launch.insert(launch.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (auto& a : launch)
        args.push_back(a.data());
    args.push_back(nullptr);
    std::fflush(nullptr); // the child must not print this process's buffered output again
    const Run launcher = RunProcess(args.data());
    Run run;
    FILE* in = std::fopen(report.c_str(), "r");
    const bool read = in && std::fscanf(in, "%lf %ld %d", &run.seconds, &run.peakKb, &run.status) == 3;
    if (in) std::fclose(in);
    fs::remove(report);
    if (launcher.status != 0 || !read) throw std::runtime_error("cannot launch " + argv[0]);
    if (run.status != 0) throw std::runtime_error("failed (" + std::to_string(run.status) + "): " + argv[0]);
    return run;
}

Run Repeat(int rounds, const std::vector<std::string>& argv, const std::function<void()>& before = {})
{
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < rounds; ++i) {
        if (before) before();
        const Run run = Measure(argv);
        times.push_back(run.seconds);
        peak = std::max(peak, run.peakKb);
    }
    return {Median(times), peak, 0};
}

// The component's preparation in this process, with the reference host's imaging.
class Preparation {
  public:
    Preparation()
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        classes_.emplace();
        Check(
            pal::CreateComObject<host::PublishingHost>(nullptr, IID_IHostImaging, imaging_.ReleaseAndGetVoidAddress()));
        Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               factory_.ReleaseAndGetVoidAddress()));
        Check(CoCreateInstance(CLSID_HostHasher, nullptr, CLSCTX_ALL, IID_IHostHasher,
                               hasher_.ReleaseAndGetVoidAddress()));
    }
    ~Preparation()
    {
        hasher_.Reset();
        factory_.Reset();
        imaging_.Reset();
        classes_.reset();
        CoUninitialize();
    }

    // Seconds to the finished stream, and its size.
    std::pair<double, ULONGLONG> Prepare(const fs::path& source, bool keepPixels, pal::ComPtr<IStream>* output)
    {
        const std::u16string path = pal::ToUtf16(source.string());
        orvana::EncodingRequest request;
        request.factory = factory_.Get();
        request.imaging = imaging_.Get();
        request.sourcePath = path.c_str();
        request.keepPixels = keepPixels;
        request.switches = {true, true, true, true, true};
        request.longEdge = keepPixels ? 0 : kLongEdge;
        const auto start = Clock::now();
        *output = orvana::EncodePicture(request);
        const double seconds = Seconds(Clock::now() - start);
        STATSTG status{};
        Check((*output)->Stat(&status, STATFLAG_NONAME));
        return {seconds, status.cbSize.QuadPart};
    }

    double Hash(IStream* stream)
    {
        pal::Bstr digest;
        const auto start = Clock::now();
        Check(hasher_->HashStream(stream, HASHALG_MD5 | HASHOUT_BASE64, digest.ReleaseAndGetAddressOf()));
        return Seconds(Clock::now() - start);
    }

  private:
    static void Check(HRESULT hr)
    {
        if (FAILED(hr)) {
            std::fprintf(stderr, "failed: 0x%08X\n", static_cast<unsigned>(hr));
            std::exit(1);
        }
    }

    std::optional<host::HostClassRegistration> classes_;
    pal::ComPtr<IHostImaging> imaging_;
    pal::ComPtr<IWICImagingFactory> factory_;
    pal::ComPtr<IHostHasher> hasher_;
};

// The child that only resamples once, so its peak memory is the job's; with
// no source it only starts, which shows what the libraries alone take.
int ResampleOnce(const fs::path& source)
{
    Preparation preparation;
    if (source.empty()) return 0;
    pal::ComPtr<IStream> output;
    preparation.Prepare(source, false, &output);
    return 0;
}

struct Timing {
    double seconds = 0;
    double firstSeconds = 0; // the process's first picture, before its allocator has memory to reuse
    ULONGLONG bytes = 0;
    double hashSeconds = 0;
};

Timing TimeInProcess(Preparation& preparation, const fs::path& source, bool keepPixels, int rounds)
{
    std::vector<double> times, hashes;
    ULONGLONG bytes = 0;
    for (int i = 0; i < rounds; ++i) {
        pal::ComPtr<IStream> output;
        const auto [seconds, size] = preparation.Prepare(source, keepPixels, &output);
        times.push_back(seconds);
        bytes = size;
        hashes.push_back(preparation.Hash(output.Get()));
    }
    return {Median(times), times.front(), bytes, Median(hashes)};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--launch") == 0) return Launch(argv[2], argv + 3);
    int rounds = 5;
    fs::path keep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else if (arg == "--resample-once" && i + 1 < argc) {
            return ResampleOnce(argv[++i]);
        } else if (arg == "--start-only") {
            return ResampleOnce({});
        } else {
            std::fprintf(stderr, "usage: %s [--rounds N] [--keep FOLDER]\n", argv[0]);
            return 2;
        }
    }
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    const fs::path folder =
        keep.empty() ? fs::temp_directory_path() / ("image-bench-" + std::to_string(getpid())) : keep;
    fs::create_directories(folder);
    const fs::path source = folder / "camera.jpg";
    if (!fs::exists(source)) WriteCameraLikeJpeg(source);
    std::printf("source: %d x %d, %.1f MB\n", kWidth, kHeight, fs::file_size(source) / 1e6);

    const fs::path copy = folder / "copy.jpg";
    const fs::path self = fs::read_symlink("/proc/self/exe");
    Timing pixels, resampled;
    {
        Preparation preparation;
        pixels = TimeInProcess(preparation, source, true, rounds);
        resampled = TimeInProcess(preparation, source, false, rounds);
    }
    const Run exiv2Start = Repeat(rounds, {"exiv2", "--version"});
    const Run exiv2 = Repeat(rounds, {"exiv2", "-M", "set Exif.Image.Artist Bench rewrite", "mo", copy.string()},
                             [&] { fs::copy_file(source, copy, fs::copy_options::overwrite_existing); });
    const Run jpegtran =
        Repeat(rounds, {"jpegtran", "-copy", "none", "-outfile", (folder / "t.jpg").string(), source.string()});
    const Run vipsStart = Repeat(rounds, {"vipsthumbnail", "--version"});
    const Run vips = Repeat(rounds, {"vipsthumbnail", source.string(), "--size", std::to_string(kLongEdge), "-o",
                                     (folder / "v.jpg").string() + "[Q=85,subsample_mode=off]"});
    const Run ourResample = Repeat(rounds, {self.string(), "--resample-once", source.string()});
    const Run ourStart = Repeat(rounds, {self.string(), "--start-only"});

    std::printf("\npixels intact: %.1f ms to the stream (%.1f MB; the first picture %.1f ms), MD5 %.1f ms apart\n",
                pixels.seconds * 1e3, pixels.bytes / 1e6, pixels.firstSeconds * 1e3, pixels.hashSeconds * 1e3);
    std::printf(
        "  exiv2 metadata rewrite   %.1f ms (its start %.1f ms)  ratio %.2f, first picture %.2f (target <= 1.5)\n",
        exiv2.seconds * 1e3, exiv2Start.seconds * 1e3, pixels.seconds / exiv2.seconds,
        pixels.firstSeconds / exiv2.seconds);
    std::printf(
        "  jpegtran -copy none      %.1f ms                     speed-up %.1f, first picture %.1f (target >= 5)\n",
        jpegtran.seconds * 1e3, jpegtran.seconds / pixels.seconds, jpegtran.seconds / pixels.firstSeconds);
    std::printf("\nresample to %ld px, Q 0.85, 4:4:4: %.1f ms to the stream (%.2f MB), MD5 %.1f ms apart\n",
                static_cast<long>(kLongEdge), resampled.seconds * 1e3, resampled.bytes / 1e6,
                resampled.hashSeconds * 1e3);
    std::printf("  vipsthumbnail            %.1f ms (its start %.1f ms)  ratio %.2f (target <= 1.1)\n",
                vips.seconds * 1e3, vipsStart.seconds * 1e3, resampled.seconds / vips.seconds);
    std::printf("  as processes: ours %.1f ms against %.1f ms            ratio %.2f\n", ourResample.seconds * 1e3,
                vips.seconds * 1e3, ourResample.seconds / vips.seconds);
    std::printf(
        "  peak memory: ours %ld kB (its start alone %ld kB), vipsthumbnail %ld kB  ratio %.2f (target <= 1.5)\n",
        ourResample.peakKb, ourStart.peakKb, vips.peakKb, static_cast<double>(ourResample.peakKb) / vips.peakKb);
    if (keep.empty()) fs::remove_all(folder);
    return 0;
}
