#include "tests/pal/wic/imaging_fixture.h"

#include "pal/wic/jpeg_segments.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exiv2/image.hpp>
#include <jpeglib.h>
#include <lcms2.h>
#include <memory>

namespace wic_test {

namespace {

// A smooth pattern, so a lossy round trip stays near and a byte-exact one is exact.
std::uint8_t Sample(unsigned x, unsigned y, int channel)
{
    switch (channel) {
    case 0:
        return static_cast<std::uint8_t>(x * 4 + y);
    case 1:
        return static_cast<std::uint8_t>(y * 5 + 20);
    case 2:
        return static_cast<std::uint8_t>(x * 3 + y * 2 + 40);
    default:
        return static_cast<std::uint8_t>(x + y * 3);
    }
}

} // namespace

Bytes MakeJpeg(const PictureRecipe& recipe)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = recipe.width;
    info.image_height = recipe.height;
    info.input_components = recipe.components;
    info.in_color_space = recipe.components == 1 ? JCS_GRAYSCALE : recipe.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.restart_interval = recipe.restartInterval;
    info.write_JFIF_header = recipe.jfif && recipe.components != 4 ? TRUE : FALSE;
    info.density_unit = recipe.densityUnits;
    info.X_density = recipe.densityX;
    info.Y_density = recipe.densityY;
    if (recipe.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    for (const auto& [marker, payload] : recipe.markers)
        jpeg_write_marker(&info, marker, payload.data(), static_cast<unsigned>(payload.size()));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(recipe.width) * recipe.components);
    for (unsigned y = 0; y < recipe.height; ++y) {
        for (unsigned x = 0; x < recipe.width; ++x)
            for (int c = 0; c < recipe.components; ++c)
                row[x * recipe.components + c] = Sample(x, y, recipe.components == 1 ? 0 : c);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Copies rather than inserts: gcc 12 warns falsely about inserting behind a signature.
template <typename Tail> Bytes Join(std::string_view head, const Tail& tail)
{
    Bytes joined(head.size() + tail.size());
    std::copy(head.begin(), head.end(), joined.begin());
    std::copy(tail.begin(), tail.end(), joined.begin() + static_cast<std::ptrdiff_t>(head.size()));
    return joined;
}

Bytes ExifPayload(const Exiv2::ExifData& exif)
{
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::bigEndian, exif);
    return Join(std::string_view("Exif\0\0", 6), blob);
}

Bytes XmpPayload(const Exiv2::XmpData& xmp)
{
    std::string packet;
    Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat | Exiv2::XmpParser::omitPacketWrapper);
    return Join(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), packet);
}

Bytes App13Payload(const Exiv2::IptcData& iptc, std::optional<std::pair<std::uint16_t, Bytes>> other)
{
    const std::string signature("Photoshop 3.0\0", 14);
    Bytes payload(signature.begin(), signature.end());
    const auto resource = [&](std::uint16_t id, const Bytes& data) {
        payload.insert(payload.end(),
                       {'8', 'B', 'I', 'M', static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id), 0, 0});
        const std::size_t size = data.size();
        payload.insert(payload.end(), {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                                       static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
        payload.insert(payload.end(), data.begin(), data.end());
        if (size & 1) payload.push_back(0);
    };
    if (other) resource(other->first, other->second);
    if (!iptc.empty()) {
        const Exiv2::DataBuf encoded(Exiv2::IptcParser::encode(iptc));
        resource(0x0404, Bytes(encoded.pData_, encoded.pData_ + encoded.size_));
    }
    return payload;
}

Bytes IccPayload(const Bytes& profile)
{
    return Join(std::string_view("ICC_PROFILE\0\1\1", 14), profile);
}

Bytes MakeIccProfile()
{
    const std::unique_ptr<void, decltype(&cmsCloseProfile)> profile(cmsCreate_sRGBProfile(), &cmsCloseProfile);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile.get(), nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(profile.get(), bytes.data(), &size);
    return bytes;
}

// exiv2 0.27 hands its images out in std::auto_ptr.
ComPtr<IStream> StreamOver(const Bytes& bytes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()));
    ULONG written = 0;
    EXPECT_EQ(S_OK, stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    EXPECT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    return stream;
}

Bytes StreamContents(IStream* stream)
{
    ULARGE_INTEGER end{};
    EXPECT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end));
    EXPECT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    Bytes bytes(static_cast<std::size_t>(end.QuadPart));
    ULONG read = 0;
    if (!bytes.empty()) {
        EXPECT_EQ(S_OK, stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    }
    return bytes;
}

void ImagingTest::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                     factory_.ReleaseAndGetVoidAddress()));
}

ComPtr<IWICBitmapFrameDecode> ImagingTest::DecodeFrame(const Bytes& file)
{
    ComPtr<IWICBitmapDecoder> decoder;
    EXPECT_EQ(S_OK, factory_->CreateDecoderFromStream(StreamOver(file).Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                      decoder.ReleaseAndGetAddressOf()));
    ComPtr<IWICBitmapFrameDecode> frame;
    if (decoder) {
        EXPECT_EQ(S_OK, decoder->GetFrame(0, frame.ReleaseAndGetAddressOf()));
    }
    return frame;
}

Bytes ImagingTest::Encode(const Bytes& source, const Reencode& how, HRESULT* writeSource)
{
    const ComPtr<IWICBitmapFrameDecode> frame = DecodeFrame(source);
    if (!frame) return {};
    return EncodeFrom(frame.Get(), how, writeSource);
}

Bytes ImagingTest::EncodeFrom(IWICBitmapSource* source, const Reencode& how, HRESULT* writeSource)
{
    ComPtr<IStream> target;
    EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, target.ReleaseAndGetAddressOf()));
    ComPtr<IWICBitmapEncoder> encoder;
    EXPECT_EQ(S_OK, factory_->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.ReleaseAndGetAddressOf()));
    EXPECT_EQ(S_OK, encoder->Initialize(target.Get(), WICBitmapEncoderNoCache));
    ComPtr<IWICBitmapFrameEncode> output;
    ComPtr<IPropertyBag2> bag;
    EXPECT_EQ(S_OK, encoder->CreateNewFrame(output.ReleaseAndGetAddressOf(), bag.ReleaseAndGetAddressOf()));
    if (how.options) how.options(bag.Get());
    EXPECT_EQ(S_OK, output->Initialize(how.withOptions ? bag.Get() : nullptr));
    UINT width = 0, height = 0;
    EXPECT_EQ(S_OK, source->GetSize(&width, &height));
    if (how.size) std::tie(width, height) = *how.size;
    EXPECT_EQ(S_OK, output->SetSize(width, height));
    if (how.dpi) {
        EXPECT_EQ(S_OK, output->SetResolution(how.dpi->first, how.dpi->second));
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    EXPECT_EQ(S_OK, output->SetPixelFormat(&format));
    if (!how.colorContexts.empty()) {
        auto contexts = how.colorContexts;
        EXPECT_EQ(S_OK, output->SetColorContexts(static_cast<UINT>(contexts.size()), contexts.data()));
    }
    ComPtr<IWICMetadataBlockReader> blockReader;
    if (how.copyBlocks &&
        SUCCEEDED(source->QueryInterface(IID_IWICMetadataBlockReader, blockReader.ReleaseAndGetVoidAddress()))) {
        ComPtr<IWICMetadataBlockWriter> blockWriter;
        EXPECT_EQ(S_OK, output.As(blockWriter));
        EXPECT_EQ(S_OK, blockWriter->InitializeFromBlockReader(blockReader.Get()));
    }
    if (how.edit) {
        ComPtr<IWICMetadataQueryWriter> writer;
        EXPECT_EQ(S_OK, output->GetMetadataQueryWriter(writer.ReleaseAndGetAddressOf()));
        how.edit(writer.Get());
    }
    WICRect rect = how.rect.value_or(WICRect{});
    const HRESULT hr = output->WriteSource(source, how.rect ? &rect : nullptr);
    if (writeSource) {
        *writeSource = hr;
    } else {
        EXPECT_EQ(S_OK, hr);
    }
    if (FAILED(hr)) return StreamContents(target.Get());
    EXPECT_EQ(S_OK, output->Commit());
    EXPECT_EQ(S_OK, encoder->Commit());
    return StreamContents(target.Get());
}

} // namespace wic_test
