// RenderImage's resample of a 24-megapixel JPEG to a 2048-pixel long edge,
// with a JPEG encode of the bitmap after it, against `vipsthumbnail --size
// 2048` on the same file: wall time and peak memory, each run in a child
// process of its own so neither sees the other's pages.
//
//   render_bench [--rounds N]
#include "contract/host_image_info.h"
#include "contract/host_interfaces.h"
#include "host/publishing_host.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/utf.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <vips/vips.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double seconds = 0;
    long peakKilobytes = 0;
};

// A photograph's worth of detail: noise over a gradient, so the decoder has real work.
void WriteSource(const std::string& path)
{
    VipsImage* noise = nullptr;
    VipsImage* ramp = nullptr;
    VipsImage* sum = nullptr;
    VipsImage* rgb = nullptr;
    VipsImage* bytes = nullptr;
    if (vips_gaussnoise(&noise, 6000, 4000, "mean", 0.0, "sigma", 24.0, nullptr) ||
        vips_xyz(&ramp, 6000, 4000, nullptr) || vips_linear1(ramp, &sum, 0.02, 40.0, nullptr)) {
        std::fprintf(stderr, "render_bench: %s\n", vips_error_buffer());
        std::exit(1);
    }
    VipsImage* first = nullptr;
    vips_extract_band(sum, &first, 0, nullptr);
    VipsImage* noisy = nullptr;
    vips_add(first, noise, &noisy, nullptr);
    VipsImage* bands[3] = {noisy, first, noisy};
    vips_bandjoin(bands, &rgb, 3, nullptr);
    vips_cast_uchar(rgb, &bytes, nullptr);
    bytes->Type = VIPS_INTERPRETATION_sRGB;
    if (vips_jpegsave(bytes, path.c_str(), "Q", 90, nullptr)) {
        std::fprintf(stderr, "render_bench: %s\n", vips_error_buffer());
        std::exit(1);
    }
    for (VipsImage* image : {noise, ramp, sum, first, noisy, rgb, bytes}) g_object_unref(image);
}

int RenderAndEncode(const std::string& source, const std::string& target)
{
    auto host = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
    pal::ComPtr<IHostImaging> imaging;
    if (FAILED(host->QueryInterface(IID_IHostImaging, imaging.ReleaseAndGetVoidAddress()))) return 1;
    HostImageInfo info{};
    contract::PresetHostImageInfo(info);
    pal::ComPtr<IWICBitmapSource> bitmap;
    const pal::WideString path = pal::ToUtf16(source);
    if (FAILED(imaging->RenderImage(path.c_str(), 0, 2048, bitmap.ReleaseAndGetAddressOf(), 3, &info))) return 2;
    contract::ReleaseHostImageInfo(info);
    UINT width = 0;
    UINT height = 0;
    bitmap->GetSize(&width, &height);
    std::vector<BYTE> pixels(std::size_t{width} * height * 3);
    bitmap->CopyPixels(nullptr, width * 3, static_cast<UINT>(pixels.size()), pixels.data());
    bitmap.Reset();
    for (std::size_t i = 0; i < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
    VipsImage* image = vips_image_new_from_memory(pixels.data(), pixels.size(), static_cast<int>(width),
                                                  static_cast<int>(height), 3, VIPS_FORMAT_UCHAR);
    const int status = vips_jpegsave(image, target.c_str(), "Q", 75, nullptr);
    g_object_unref(image);
    return status == 0 ? 0 : 3;
}

Run Measure(const std::function<int()>& child)
{
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "render_bench: a run failed (%d)\n", status);
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    char pattern[] = "/tmp/render-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::filesystem::path folder = pattern;
    const std::string source = (folder / "source.jpg").string();
    // libvips starts only in children: its threads would not survive a fork.
    Measure([&] {
        if (VIPS_INIT("render_bench")) return 1;
        WriteSource(source);
        return 0;
    });

    std::vector<Run> ours;
    std::vector<Run> theirs;
    for (int round = 0; round < rounds; ++round) {
        theirs.push_back(Measure([&] {
            const std::string out = (folder / "vips.jpg").string();
            execlp("vipsthumbnail", "vipsthumbnail", "--size", "2048", source.c_str(), "-o", out.c_str(), nullptr);
            return 127;
        }));
        ours.push_back(Measure([&] { return RenderAndEncode(source, (folder / "ours.jpg").string()); }));
    }
    const auto best = [](std::vector<Run> runs) {
        std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
        return runs[runs.size() / 2];
    };
    const Run a = best(ours);
    const Run b = best(theirs);
    std::printf("RenderImage+encode: %.3f s, %ld KiB peak\n", a.seconds, a.peakKilobytes);
    std::printf("vipsthumbnail:      %.3f s, %ld KiB peak\n", b.seconds, b.peakKilobytes);
    std::printf("ratio: time %.2f, memory %.2f (median of %d)\n", a.seconds / b.seconds,
                static_cast<double>(a.peakKilobytes) / b.peakKilobytes, rounds);
    std::filesystem::remove_all(folder);
    return 0;
}
