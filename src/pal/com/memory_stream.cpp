#include "pal/com/stream.h"
#include "pal/com/stream_copy.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/unique_global.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

// Answered only by streams made here, so GetHGlobalFromStream can tell its
// own streams from foreign ones.
constexpr IID kIidHGlobalStream = pal::MakeGuid("6B1E5C1A-7F0D-4C52-9E0B-2D6F3A8C4E71");

// HGLOBAL streams are 32-bit, as on Windows.
constexpr ULONGLONG kMaxSize = 0xFFFFFFFFull;

// The block behind a stream and its clones. The stream's size is the block's
// GlobalSize; growth is amortised inside GlobalReAlloc.
class SharedBlock {
  public:
    explicit SharedBlock(HGLOBAL handle) noexcept : handle_(handle) {}
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // From now on the block goes with the last stream.
    void DeleteOnRelease() noexcept { owner_.reset(handle_); }

    std::mutex& Mutex() noexcept { return mutex_; }
    HGLOBAL Handle() const noexcept { return handle_; }
    ULONGLONG Size() const noexcept { return GlobalSize(handle_); }

    // Caller holds Mutex(). New bytes read as zero unless the caller is about
    // to overwrite them anyway (zeroing a whole picture first costs a pass over
    // every page).
    bool Resize(ULONGLONG size, bool zeroNewBytes = true) noexcept
    {
        if (size > kMaxSize) return false;
        const UINT flags = GMEM_MOVEABLE | (zeroNewBytes ? GMEM_ZEROINIT : 0);
        HGLOBAL resized = GlobalReAlloc(handle_, static_cast<SIZE_T>(size), flags);
        if (!resized) return false;
        handle_ = resized; // differs only when the caller gave us a fixed block
        if (owner_ && owner_.get() != resized) {
            (void)owner_.release(); // already freed by the move
            owner_.reset(resized);
        }
        return true;
    }

  private:
    std::mutex mutex_;
    HGLOBAL handle_;
    pal::UniqueGlobal<> owner_; // null while the block stays the caller's
};

class MemoryStream : public pal::ComObjectRoot, public IStream {
  public:
    using Interfaces = pal::InterfaceList<IStream, ISequentialStream>;
    static constexpr bool kLocksModule = false; // the layer's own object

    MemoryStream(std::shared_ptr<SharedBlock> block, ULONGLONG position) noexcept
        : block_(std::move(block)), position_(position)
    {
    }

    HGLOBAL Handle() const noexcept { return block_->Handle(); }

    // GetHGlobalFromStream recognises the layer's own memory streams by this id.
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv)
    {
        if (riid != kIidHGlobalStream) return E_NOINTERFACE;
        *ppv = static_cast<IStream*>(this);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (pcbRead) *pcbRead = 0;
        if (!pv && cb > 0) return STG_E_INVALIDPOINTER;
        std::lock_guard lock(block_->Mutex());
        const ULONGLONG size = block_->Size();
        // Reading at or past the end is not an error: it reads what there is.
        const ULONG count = position_ >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(cb, size - position_));
        if (count > 0) {
            pal::GlobalLockGuard data(block_->Handle());
            if (!data.Data()) return E_UNEXPECTED;
            std::memcpy(pv, static_cast<const std::byte*>(data.Data()) + position_, count);
            position_ += count;
        }
        if (pcbRead) *pcbRead = count;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten) *pcbWritten = 0;
        if (!pv && cb > 0) return STG_E_INVALIDPOINTER;
        if (cb == 0) return S_OK;
        std::lock_guard lock(block_->Mutex());
        const ULONGLONG end = position_ + cb;
        if (end < position_) return STG_E_MEDIUMFULL;
        const ULONGLONG oldSize = block_->Size();
        if (end > oldSize && !block_->Resize(end, false)) return STG_E_MEDIUMFULL;
        pal::GlobalLockGuard data(block_->Handle());
        if (!data.Data()) return E_UNEXPECTED;
        auto* bytes = static_cast<std::byte*>(data.Data());
        // A gap left by seeking past the end reads as zeros.
        if (position_ > oldSize) std::memset(bytes + oldSize, 0, static_cast<std::size_t>(position_ - oldSize));
        std::memcpy(bytes + position_, pv, cb);
        position_ = end;
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override
    {
        std::lock_guard lock(block_->Mutex());
        __extension__ typedef __int128 Wide;
        Wide base = 0;
        switch (dwOrigin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = position_;
            break;
        case STREAM_SEEK_END:
            base = block_->Size();
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        // Past the end is allowed (a later write fills the gap); before the start is not.
        const Wide target = base + dlibMove.QuadPart;
        if (target < 0 || target > static_cast<Wide>(UINT64_MAX)) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<ULONGLONG>(target);
        if (plibNewPosition) plibNewPosition->QuadPart = position_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) override
    {
        if (libNewSize.QuadPart > kMaxSize) return STG_E_INVALIDFUNCTION;
        std::lock_guard lock(block_->Mutex());
        if (libNewSize.QuadPart == block_->Size()) return S_OK;
        return block_->Resize(libNewSize.QuadPart) ? S_OK : STG_E_MEDIUMFULL;
    }

    HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                     ULARGE_INTEGER* pcbWritten) override
    {
        return pal::CopyStreamThroughBuffer(this, pstm, cb, pcbRead, pcbWritten);
    }

    // Direct mode: nothing is buffered, so there is nothing to commit or revert.
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD) override
    {
        if (!pstatstg) return STG_E_INVALIDPOINTER;
        std::lock_guard lock(block_->Mutex());
        *pstatstg = STATSTG{};
        // A memory stream has no name, whatever the flag asks.
        pstatstg->pwcsName = nullptr;
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = block_->Size();
        pstatstg->grfMode = STGM_READWRITE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) override
    {
        if (!ppstm) return STG_E_INVALIDPOINTER;
        *ppstm = nullptr;
        std::lock_guard lock(block_->Mutex());
        try {
            *ppstm = pal::MakeComObject<MemoryStream, IStream>(block_, position_).Detach();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

  private:
    std::shared_ptr<SharedBlock> block_;
    ULONGLONG position_; // guarded by the block's mutex
};

} // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm)
{
    if (!ppstm) return E_INVALIDARG;
    *ppstm = nullptr;
    // A block allocated here goes with a failed creation; a caller's block never does.
    pal::UniqueGlobal<> allocated;
    if (!hGlobal) {
        allocated.reset(GlobalAlloc(GMEM_MOVEABLE, 0));
        if (!allocated) return E_OUTOFMEMORY;
        hGlobal = allocated.get();
    }
    try {
        const auto block = std::make_shared<SharedBlock>(hGlobal);
        *ppstm = pal::MakeComObject<MemoryStream, IStream>(block, 0).Detach();
        // The stream exists: the block goes with it, or stays with the caller, who
        // finds it through GetHGlobalFromStream.
        if (fDeleteOnRelease) block->DeleteOnRelease();
        (void)allocated.release();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal)
{
    if (!pstm || !phglobal) return E_INVALIDARG;
    *phglobal = nullptr;
    void* own = nullptr;
    if (FAILED(pstm->QueryInterface(kIidHGlobalStream, &own))) return E_INVALIDARG;
    const auto stream = pal::ComPtr<IStream>::Attach(static_cast<IStream*>(own));
    *phglobal = static_cast<MemoryStream*>(stream.Get())->Handle();
    return S_OK;
}
