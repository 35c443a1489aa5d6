// Encode time of the imaging layer's JPEG encoder against libvips over the
// same libjpeg-turbo, for a 2048-pixel picture: its decoded pixels in, a
// quality-90 4:2:0 JPEG out, each in memory. The pixels-intact path, which
// only puts segments together, is timed beside them.
//
//   imaging_bench [--rounds N]
#include "pal/com/activation.h"
#include "pal/com/stream.h"
#include "pal/com_ptr.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wide_string.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <string>
#include <vector>
#include <vips/vips.h>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;
using pal::ComPtr;

constexpr unsigned kWidth = 2048;
constexpr unsigned kHeight = 1365;

void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s failed: 0x%08X\n", what, static_cast<unsigned>(hr));
        std::exit(1);
    }
}

// A photograph stands in poorly for a gradient; a little pseudo-random grain
// gives the encoder work like a real picture's.
Bytes MakeSourceJpeg()
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(kWidth * 3);
    unsigned seed = 12345;
    for (unsigned y = 0; y < kHeight; ++y) {
        for (unsigned x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int grain = static_cast<int>((seed >> 16) & 15) - 8;
            row[x * 3] = static_cast<JSAMPLE>(std::clamp(static_cast<int>(x / 8) + grain, 0, 255));
            row[x * 3 + 1] = static_cast<JSAMPLE>(std::clamp(static_cast<int>(y / 6) + grain, 0, 255));
            row[x * 3 + 2] = static_cast<JSAMPLE>(std::clamp(static_cast<int>((x + y) / 14) + grain, 0, 255));
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

ComPtr<IStream> StreamOver(const Bytes& bytes)
{
    ComPtr<IStream> stream;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), "CreateStreamOnHGlobal");
    ULONG written = 0;
    Check(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), "Write");
    Check(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), "Seek");
    return stream;
}

// One encode through the layer, as the component writes a resized or re-encoded picture.
void EncodeThroughLayer(IWICImagingFactory* factory, IWICBitmapFrameDecode* source, bool withOptions)
{
    ComPtr<IStream> target;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, target.ReleaseAndGetAddressOf()), "CreateStreamOnHGlobal");
    ComPtr<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.ReleaseAndGetAddressOf()), "CreateEncoder");
    Check(encoder->Initialize(target.Get(), WICBitmapEncoderNoCache), "Initialize");
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> bag;
    Check(encoder->CreateNewFrame(frame.ReleaseAndGetAddressOf(), bag.ReleaseAndGetAddressOf()), "CreateNewFrame");
    PROPBAG2 entries[] = {{PROPBAG2_TYPE_DATA, VT_R4, 0, 0, const_cast<LPOLESTR>(W("ImageQuality")), {}},
                          {PROPBAG2_TYPE_DATA, VT_UI1, 0, 0, const_cast<LPOLESTR>(W("JpegYCrCbSubsampling")), {}}};
    VARIANT values[2]{};
    values[0].vt = VT_R4;
    values[0].fltVal = 0.9f;
    values[1].vt = VT_UI1;
    values[1].bVal = WICJpegYCrCbSubsampling420;
    Check(bag->Write(2, entries, values), "options");
    Check(frame->Initialize(withOptions ? bag.Get() : nullptr), "frame Initialize");
    Check(frame->SetSize(kWidth, kHeight), "SetSize");
    Check(frame->WriteSource(source, nullptr), "WriteSource");
    Check(frame->Commit(), "frame Commit");
    Check(encoder->Commit(), "Commit");
}

template <typename Body> double MillisecondsPerRound(int rounds, Body body)
{
    body(); // warm
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        body();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / rounds;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 20;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[++i]));
    if (VIPS_INIT(argv[0])) return 1;
    vips_concurrency_set(1);

    const Bytes source = MakeSourceJpeg();
    Check(CoInitializeEx(nullptr, COINIT_MULTITHREADED), "CoInitializeEx");
    ComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           factory.ReleaseAndGetVoidAddress()),
          "CoCreateInstance");
    ComPtr<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromStream(StreamOver(source).Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                           decoder.ReleaseAndGetAddressOf()),
          "CreateDecoderFromStream");
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.ReleaseAndGetAddressOf()), "GetFrame");

    VipsImage* loaded = nullptr;
    if (vips_jpegload_buffer(const_cast<unsigned char*>(source.data()), source.size(), &loaded, nullptr)) return 1;
    VipsImage* pixels = vips_image_copy_memory(loaded);
    g_object_unref(loaded);
    if (!pixels) return 1;

    const double layer = MillisecondsPerRound(rounds, [&] { EncodeThroughLayer(factory.Get(), frame.Get(), true); });
    const double intact = MillisecondsPerRound(rounds, [&] { EncodeThroughLayer(factory.Get(), frame.Get(), false); });
    const double vips = MillisecondsPerRound(rounds, [&] {
        void* buffer = nullptr;
        size_t length = 0;
        if (vips_jpegsave_buffer(pixels, &buffer, &length, "Q", 90, "subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON,
                                 "strip", TRUE, nullptr))
            std::exit(1);
        g_free(buffer);
    });
    g_object_unref(pixels);

    std::printf("%ux%u, quality 90, 4:2:0, %d rounds\n", kWidth, kHeight, rounds);
    std::printf("  layer encode   %8.2f ms\n", layer);
    std::printf("  libvips encode %8.2f ms\n", vips);
    std::printf("  ratio          %8.2f (layer / libvips)\n", layer / vips);
    std::printf("  pixels intact  %8.2f ms\n", intact);
    frame = nullptr;
    decoder = nullptr;
    factory = nullptr;
    CoUninitialize();
    vips_shutdown();
    return 0;
}
