#include "host/state_store.h"

#include "host/text_file.h"
#include "pal/base/prefix.h"
#include "pal/com_ptr.h"
#include "pal/guid_text.h"
#include "pal/hresult_error.h"
#include "pal/unique_global.h"
#include "pal/utf.h"

#include <cstring>

namespace host {

StateStore StateStore::InPrefix()
{
    return StateStore(pal::PrefixDirectory() / "host" / "state");
}

std::filesystem::path StateStore::FileFor(REFCLSID plugin) const
{
    return directory_ / (pal::ToUtf8(pal::GuidToString(plugin)) + ".state");
}

pal::ComPtr<IStream> StateStore::Open(REFCLSID plugin) const
{
    pal::ComPtr<IStream> stream;
    pal::ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()));
    if (const auto content = ReadWholeFile(FileFor(plugin)); content && !content->empty()) {
        pal::ThrowIfFailed(stream->Write(content->data(), static_cast<ULONG>(content->size()), nullptr));
        pal::ThrowIfFailed(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    }
    return stream;
}

void StateStore::Save(REFCLSID plugin, IStream* stream) const
{
    HGLOBAL block = nullptr;
    pal::ThrowIfFailed(GetHGlobalFromStream(stream, &block));
    STATSTG stat{};
    pal::ThrowIfFailed(stream->Stat(&stat, STATFLAG_NONAME));
    pal::GlobalLockGuard locked(block);
    const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    ReplaceFileAtomically(FileFor(plugin), std::string_view(static_cast<const char*>(locked.Data()), size));
}

} // namespace host
