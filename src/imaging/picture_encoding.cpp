#include "picture_encoding.h"

#include "contract/host_image_info.h"
#include "imaging/chroma_subsampling.h"
#include "pal/hresult_error.h"

#include <cmath>
#include <objbase.h>
#include <oleauto.h>
#include <shlwapi.h>

namespace orvana {
namespace {

constexpr float kQuality = 0.85f;
constexpr float kMinimizedQuality = 0.6f;
constexpr BYTE kFullChroma = 3;    // 4:4:4
constexpr BYTE kReducedChroma = 1; // 4:2:0
constexpr double kDefaultDpi = 72.0;
constexpr ULONG kRenderProcessed = RENDER_ROTATE_BY_ORIENTATION | RENDER_CONVERT_TO_SRGB;
constexpr DWORD kReadSharingReaders = STGM_READ | STGM_SHARE_DENY_WRITE;
// The second JPEG decoder asked for the colour profile.
inline constexpr GUID kProfileDecoderVendor = pal::MakeGuid("6F3E8B2A-D5C4-4097-AE32-8B1D4F7C9053");

// Thrown when a pixels-intact attempt failed in a way that a second attempt,
// without the source's metadata blocks, may get past.
struct RetryWithoutBlocks {};

// The item record of the call: preset before each attempt, its strings freed
// after each metadata step and however the call ends.
class HostImageRecord {
  public:
    HostImageRecord() { contract::PresetHostImageInfo(info_); }
    ~HostImageRecord() { contract::ReleaseHostImageInfo(info_); }
    HostImageRecord(const HostImageRecord&) = delete;
    HostImageRecord& operator=(const HostImageRecord&) = delete;

    void Preset()
    {
        contract::ReleaseHostImageInfo(info_);
        contract::PresetHostImageInfo(info_);
    }
    void Release() { contract::ReleaseHostImageInfo(info_); }
    HostImageInfo& Get() { return info_; }

  private:
    HostImageInfo info_;
};

pal::ComPtr<IStream> OpenForReading(LPCWSTR path)
{
    pal::ComPtr<IStream> file;
    pal::ThrowIfFailed(SHCreateStreamOnFileW(path, kReadSharingReaders, file.ReleaseAndGetAddressOf()));
    return file;
}

void WriteEncoderOptions(IPropertyBag2* options, bool minimize)
{
    PROPBAG2 names[2] = {};
    VARIANT values[2];
    names[0].dwType = PROPBAG2_TYPE_DATA;
    names[0].vt = VT_R4;
    names[0].pstrName = const_cast<LPOLESTR>(W("ImageQuality"));
    VariantInit(&values[0]);
    values[0].vt = VT_R4;
    values[0].fltVal = minimize ? kMinimizedQuality : kQuality;
    names[1].dwType = PROPBAG2_TYPE_DATA;
    names[1].vt = VT_UI1;
    names[1].pstrName = const_cast<LPOLESTR>(W("JpegYCrCbSubsampling"));
    VariantInit(&values[1]);
    values[1].vt = VT_UI1;
    values[1].bVal = minimize ? kReducedChroma : kFullChroma;
    pal::ThrowIfFailed(options->Write(SupportsChromaSubsampling() ? 2 : 1, names, values));
}

// The colour profile is best effort: nothing here changes the attempt's outcome.
void CopyColourProfile(const EncodingRequest& request, IWICBitmapFrameEncode* frame, IWICBitmapFrameDecode* decoded)
{
    pal::ComPtr<IWICColorContext> context;
    if (FAILED(request.factory->CreateColorContext(context.ReleaseAndGetAddressOf()))) return;
    IWICColorContext* contexts[] = {context.Get()};
    UINT count = 0;

    pal::ComPtr<IStream> file;
    pal::ComPtr<IWICBitmapDecoder> decoder;
    pal::ComPtr<IWICBitmapFrameDecode> profileFrame;
    if (SUCCEEDED(SHCreateStreamOnFileW(request.sourcePath, kReadSharingReaders, file.ReleaseAndGetAddressOf())) &&
        SUCCEEDED(request.factory->CreateDecoder(GUID_ContainerFormatJpeg, &kProfileDecoderVendor,
                                                 decoder.ReleaseAndGetAddressOf())) &&
        SUCCEEDED(decoder->Initialize(file.Get(), WICDecodeMetadataCacheOnDemand)) &&
        SUCCEEDED(decoder->GetFrame(0, profileFrame.ReleaseAndGetAddressOf()))) {
        if (FAILED(profileFrame->GetColorContexts(1, contexts, &count))) count = 0;
        if (SUCCEEDED(frame->SetColorContexts(count, contexts))) return;
    }
    count = 0;
    if (FAILED(decoded->GetColorContexts(1, contexts, &count))) count = 0;
    frame->SetColorContexts(count, contexts);
}

// A failed copy leaves the frame without the source's blocks, which is what
// the second attempt does anyway.
void CopyMetadataBlocks(IWICBitmapFrameDecode* decoded, IWICBitmapFrameEncode* frame)
{
    pal::ComPtr<IWICMetadataBlockReader> reader;
    pal::ComPtr<IWICMetadataBlockWriter> writer;
    if (SUCCEEDED(decoded->QueryInterface(IID_IWICMetadataBlockReader, reader.ReleaseAndGetVoidAddress())) &&
        SUCCEEDED(frame->QueryInterface(IID_IWICMetadataBlockWriter, writer.ReleaseAndGetVoidAddress())))
        writer->InitializeFromBlockReader(reader.Get());
}

class PictureEncoding {
  public:
    explicit PictureEncoding(const EncodingRequest& request) : request_(request) {}

    pal::ComPtr<IStream> Run()
    {
        try {
            return Attempt(false);
        } catch (const RetryWithoutBlocks&) {
            return Attempt(true);
        }
    }

  private:
    pal::ComPtr<IStream> Attempt(bool retried)
    {
        record_.Preset();
        HostImageInfo& info = record_.Get();
        const bool keepPixels = request_.keepPixels;

        pal::ComPtr<IWICBitmapSource> source;
        pal::ComPtr<IWICBitmapFrameDecode> decoded;
        if (keepPixels) {
            decoded = DecodeSourceFrame();
            source = pal::ComPtr<IWICBitmapSource>(decoded.Get());
            pal::ThrowIfFailed(
                request_.imaging->RenderImage(request_.sourcePath, 0, 0, nullptr, RENDER_METADATA_ONLY, &info));
        } else {
            pal::ThrowIfFailed(request_.imaging->RenderImage(request_.sourcePath, 0, request_.longEdge,
                                                             source.ReleaseAndGetAddressOf(), kRenderProcessed, &info));
            if (!source) throw pal::HResultError(E_UNEXPECTED);
        }

        pal::ComPtr<IWICBitmapEncoder> encoder;
        pal::ThrowIfFailed(request_.factory->CreateEncoder(GUID_ContainerFormatJpeg, &GUID_VendorMicrosoft,
                                                           encoder.ReleaseAndGetAddressOf()));
        pal::ComPtr<IStream> output;
        pal::ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, output.ReleaseAndGetAddressOf()));
        pal::ThrowIfFailed(encoder->Initialize(output.Get(), WICBitmapEncoderNoCache));
        pal::ComPtr<IWICBitmapFrameEncode> frame;
        pal::ComPtr<IPropertyBag2> options;
        pal::ThrowIfFailed(encoder->CreateNewFrame(frame.ReleaseAndGetAddressOf(),
                                                   keepPixels ? nullptr : options.ReleaseAndGetAddressOf()));
        if (!keepPixels) WriteEncoderOptions(options.Get(), request_.minimize);
        pal::ThrowIfFailed(frame->Initialize(options.Get()));

        UINT width = 0, height = 0;
        pal::ThrowIfFailed(source->GetSize(&width, &height));
        info.width = info.width2 = width;
        info.height = info.height2 = height;
        pal::ThrowIfFailed(frame->SetSize(width, height));

        const auto [dpiX, dpiY] = ChooseResolution(source.Get());
        info.dpiX = static_cast<FLOAT>(dpiX);
        info.dpiY = static_cast<FLOAT>(dpiY);
        pal::ThrowIfFailed(frame->SetResolution(info.dpiX, info.dpiY));

        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        pal::ThrowIfFailed(frame->SetPixelFormat(&format));

        if (keepPixels) CopyColourProfile(request_, frame.Get(), decoded.Get());
        if (keepPixels && !retried) CopyMetadataBlocks(decoded.Get(), frame.Get());

        pal::ComPtr<IWICMetadataQueryWriter> writer;
        pal::ThrowIfFailed(frame->GetMetadataQueryWriter(writer.ReleaseAndGetAddressOf()));
        const bool anyMetadata = request_.switches.Any();
        const HRESULT written = keepPixels ? WriteSelectedMetadataKeepingPixels(writer.Get(), request_.imaging, info,
                                                                                request_.switches, anyMetadata)
                                           : WriteSelectedMetadataAfterResampling(writer.Get(), request_.imaging, info,
                                                                                  request_.switches, anyMetadata);
        record_.Release();
        if (FAILED(written)) {
            if (keepPixels && !retried) throw RetryWithoutBlocks{};
            throw pal::HResultError(written);
        }
        if (!keepPixels && anyMetadata) WriteCustomRenderedTag(writer.Get());

        // The metadata is serialised here, so a copied block the encoder
        // cannot carry shows up now.
        const HRESULT pixels = frame->WriteSource(source.Get(), nullptr);
        if (pixels == WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE && keepPixels && !retried) throw RetryWithoutBlocks{};
        pal::ThrowIfFailed(pixels);
        pal::ThrowIfFailed(frame->Commit());
        encoder->Commit(); // the frame's commit has written everything the upload needs

        pal::ThrowIfFailed(output->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
        return output;
    }

    pal::ComPtr<IWICBitmapFrameDecode> DecodeSourceFrame()
    {
        // The decoder and its file go at the end of this scope; the frame keeps what it needs.
        const pal::ComPtr<IStream> file = OpenForReading(request_.sourcePath);
        pal::ComPtr<IWICBitmapDecoder> decoder;
        pal::ThrowIfFailed(request_.factory->CreateDecoder(GUID_ContainerFormatJpeg, &GUID_VendorMicrosoft,
                                                           decoder.ReleaseAndGetAddressOf()));
        pal::ThrowIfFailed(decoder->Initialize(file.Get(), WICDecodeMetadataCacheOnDemand));
        pal::ComPtr<IWICBitmapFrameDecode> frame;
        pal::ThrowIfFailed(decoder->GetFrame(0, frame.ReleaseAndGetAddressOf()));
        return frame;
    }

    // The source's own resolution when the size is kept (or the pixels are),
    // else the print size's; 72 dpi when neither says.
    std::pair<double, double> ChooseResolution(IWICBitmapSource* source) const
    {
        const double requested = std::fabs(request_.printDpi);
        const double fallback = requested != 0.0 ? requested : kDefaultDpi;
        if (request_.longEdge != 0 && !request_.keepPixels) return {fallback, fallback};
        double dpiX = kDefaultDpi, dpiY = kDefaultDpi;
        pal::ThrowIfFailed(source->GetResolution(&dpiX, &dpiY));
        if (dpiX < 1.0 || dpiY < 1.0) return {fallback, fallback};
        return {dpiX, dpiY};
    }

    const EncodingRequest& request_;
    HostImageRecord record_;
};

} // namespace

pal::ComPtr<IStream> EncodePicture(const EncodingRequest& request)
{
    return PictureEncoding(request).Run();
}

} // namespace orvana
