// Pictures for the codec tests, made and read back with libjpeg and exiv2
// themselves, and the factory reached as the component reaches it.
#pragma once

#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/wic/imaging_interfaces.h"
#include "tests/support/jpeg_inspection.h"
#include "tests/support/temporary_prefix.h"

#include <cstdint>
#include <exiv2/exif.hpp>
#include <exiv2/iptc.hpp>
#include <exiv2/xmp_exiv2.hpp>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace wic_test {

using Bytes = std::vector<std::uint8_t>;
using namespace jpeg_inspection;
using pal::ComPtr;

struct PictureRecipe {
    unsigned width = 40;
    unsigned height = 24;
    int components = 3; // 1 grayscale, 3 colour, 4 CMYK (stored as YCCK with Adobe's marker)
    bool progressive = false;
    unsigned restartInterval = 0;
    bool jfif = true;
    std::uint8_t densityUnits = 1;
    std::uint16_t densityX = 72;
    std::uint16_t densityY = 72;
    std::vector<std::pair<int, Bytes>> markers; // written after the headers libjpeg writes
};

Bytes MakeJpeg(const PictureRecipe& recipe);
Bytes ExifPayload(const Exiv2::ExifData& exif);
Bytes XmpPayload(const Exiv2::XmpData& xmp);
// "Photoshop 3.0" with the IPTC resource and, when given, another resource (id, data).
Bytes App13Payload(const Exiv2::IptcData& iptc, std::optional<std::pair<std::uint16_t, Bytes>> other);
Bytes IccPayload(const Bytes& profile);
Bytes MakeIccProfile();

ComPtr<IStream> StreamOver(const Bytes& bytes);
Bytes StreamContents(IStream* stream);

class ImagingTest : public testing_support::PrefixTest {
  protected:
    void SetUp() override;
    void TearDown() override { CoUninitialize(); }

    ComPtr<IWICBitmapFrameDecode> DecodeFrame(const Bytes& file);

    struct Reencode {
        bool copyBlocks = true;
        bool withOptions = false;
        std::function<void(IPropertyBag2*)> options;
        std::function<void(IWICMetadataQueryWriter*)> edit;
        std::optional<std::pair<double, double>> dpi;
        std::vector<IWICColorContext*> colorContexts;
        std::optional<std::pair<UINT, UINT>> size; // the source's unless given
        std::optional<WICRect> rect;
    };
    // The source decoded and written into a JPEG encoder as the component
    // does; the WriteSource result in *writeSource, the file (empty unless committed) returned.
    Bytes Encode(const Bytes& source, const Reencode& how, HRESULT* writeSource = nullptr);
    // The same for any source; its blocks are copied when it has a block reader.
    Bytes EncodeFrom(IWICBitmapSource* source, const Reencode& how, HRESULT* writeSource = nullptr);

    ComPtr<IWICImagingFactory> factory_;
};

} // namespace wic_test
