// The layer's codec objects, made by the imaging factory.
#pragma once

#include "pal/com_ptr.h"
#include "pal/wic/container_format.h"
#include "pal/wic/imaging_interfaces.h"

#include <memory>

namespace pal::wic {

class JpegFile;
class MetadataBlocks;

ComPtr<IWICBitmapDecoder> CreateJpegDecoder();
// PNG, GIF, TIFF and BMP: initialised and named, their pixels left to the host.
ComPtr<IWICBitmapDecoder> CreateContainerOnlyDecoder(ContainerFormat format);
ComPtr<IWICBitmapEncoder> CreateJpegEncoder();
ComPtr<IWICColorContext> CreateColorContext();
ComPtr<IWICBitmapFrameDecode> CreateJpegFrameDecode(std::shared_ptr<const JpegFile> file);

ComPtr<IWICMetadataQueryReader> CreateMetadataQueryReader(std::shared_ptr<MetadataBlocks> blocks);
ComPtr<IWICMetadataQueryWriter> CreateMetadataQueryWriter(std::shared_ptr<MetadataBlocks> blocks);

} // namespace pal::wic
