// The primitives of the state record's stream encoding: little-endian
// integers and length-prefixed strings. A length-prefixed string is a 32-bit
// byte count N and N bytes; N = 0 is a null string, otherwise the bytes are
// the content followed by one zero code unit (two zero bytes).
#pragma once

#include "pal/wide_string.h"

#include <objbase.h>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvana {

// Longest length prefix a reader accepts, terminator included.
constexpr DWORD kMaxStateStringBytes = 0x100000;

// Failures throw pal::HResultError: a failing stream's own code, or one of
// those named here.

// Reading a length-prefixed value fails with E_FAIL when N is 1 or fewer bytes
// than announced arrive, and with E_ACCESSDENIED when N exceeds
// kMaxStateStringBytes. On every failure the stream is put back where the
// value began and the out value is null.
void ReadStateBytes(IStream* stream, std::optional<std::vector<BYTE>>& value);
void ReadStateString(IStream* stream, std::optional<pal::WideString>& value);
// Fewer than 8 bytes fail with HRESULT_FROM_WIN32(ERROR_INVALID_DATA); the
// stream is put back and value keeps what it held.
void ReadStateInt64(IStream* stream, LONGLONG& value);

// Each write is one IStream::Write; a short write fails with STG_E_MEDIUMFULL.
void WriteStateByte(IStream* stream, BYTE value);
void WriteStateBytes(IStream* stream, const std::optional<std::vector<BYTE>>& value);
void WriteStateString(IStream* stream, const std::optional<pal::WideString>& value);
void WriteStateInt64(IStream* stream, LONGLONG value);

} // namespace orvana
