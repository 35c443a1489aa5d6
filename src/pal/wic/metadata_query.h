// The metadata queries over a frame's blocks: a path of the vocabulary
// (metadata_query_path.h) read, set or removed, values converted between
// PROPVARIANT and the exiv2 type of the tag, property or dataset.
#pragma once

#include "pal/com/propvariant.h"
#include "pal/wic/metadata_blocks.h"

namespace pal::wic {

// Throw HResultError: WINCODEC_ERR_INVALIDQUERYREQUEST for a path outside the
// vocabulary, WINCODEC_ERR_PROPERTYNOTFOUND when nothing is there (reads
// only; removing what is absent succeeds), E_INVALIDARG for a value of a
// type the target cannot take, WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE when the
// block touched is a copy that cannot be parsed. The caller holds the blocks' mutex.
void GetMetadata(MetadataBlocks& blocks, LPCWSTR path, PROPVARIANT* value);
void SetMetadata(MetadataBlocks& blocks, LPCWSTR path, const PROPVARIANT& value);
void RemoveMetadata(MetadataBlocks& blocks, LPCWSTR path);

} // namespace pal::wic
