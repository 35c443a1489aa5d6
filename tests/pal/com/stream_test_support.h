// Helpers shared by the stream tests.
#pragma once

#include "pal/com/stream.h"
#include "pal/com_ptr.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace pal::test {

inline ULONGLONG SeekTo(IStream* stream, LONGLONG offset, DWORD origin)
{
    ULARGE_INTEGER position{};
    EXPECT_EQ(stream->Seek({.QuadPart = offset}, origin, &position), S_OK);
    return position.QuadPart;
}

inline std::string ReadText(IStream* stream, ULONG count, HRESULT expected = S_OK)
{
    std::string text(count, '\0');
    ULONG read = 0;
    EXPECT_EQ(stream->Read(text.data(), count, &read), expected);
    text.resize(read);
    return text;
}

inline void WriteText(IStream* stream, std::string_view text)
{
    ULONG written = 0;
    EXPECT_EQ(stream->Write(text.data(), static_cast<ULONG>(text.size()), &written), S_OK);
    EXPECT_EQ(written, text.size());
}

inline ComPtr<IStream> NewMemoryStream(HGLOBAL block = nullptr, BOOL deleteOnRelease = TRUE)
{
    IStream* raw = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(block, deleteOnRelease, &raw), S_OK);
    return ComPtr<IStream>::Attach(raw);
}

} // namespace pal::test
