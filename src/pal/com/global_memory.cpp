#include "pal/unique_global.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
using Buffer = std::unique_ptr<std::byte, FreeDeleter>;

// What a moveable handle points at. As on Windows, its first word is the
// current data pointer.
struct HandleEntry {
    void* data = nullptr;
};

struct Block {
    Buffer data;                        // null for a moveable block of zero bytes
    SIZE_T size = 0;                    // what GlobalSize reports
    SIZE_T capacity = 0;                // bytes allocated; lets a locked block shrink and regrow in place
    unsigned locks = 0;                 // moveable blocks only
    std::unique_ptr<HandleEntry> entry; // moveable blocks only

    bool Moveable() const { return entry != nullptr; }
    void Publish()
    {
        if (entry) entry->data = data.get();
    }
};

// Every live block by handle, so any value passed in is checked before use:
// a stale or foreign handle fails instead of being dereferenced.
class Registry {
  public:
    std::mutex mutex;
    std::unordered_map<HGLOBAL, Block> blocks;

    Block* Find(HGLOBAL h)
    {
        const auto it = blocks.find(h);
        return it == blocks.end() ? nullptr : &it->second;
    }
};

// Never destroyed: streams and blocks may be released from other static
// destructors at exit.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

Buffer AllocateBuffer(SIZE_T bytes, bool zero)
{
    // Fixed blocks of zero bytes still need a unique, non-null address.
    const SIZE_T n = std::max<SIZE_T>(bytes, 1);
    return Buffer(static_cast<std::byte*>(zero ? std::calloc(n, 1) : std::malloc(n)));
}

// Resizes the allocation behind `block` to hold `bytes`; the address may change.
bool Reallocate(Block& block, SIZE_T bytes)
{
    // Grow geometrically so streams writing in small pieces stay linear.
    const SIZE_T wanted = std::max(bytes, block.capacity + block.capacity / 2);
    void* moved = std::realloc(block.data.get(), wanted);
    if (!moved) return false;
    (void)block.data.release();
    block.data.reset(static_cast<std::byte*>(moved));
    block.capacity = wanted;
    return true;
}

} // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    const bool zero = (uFlags & GMEM_ZEROINIT) != 0;
    Block block;
    if (dwBytes > 0 || !(uFlags & GMEM_MOVEABLE)) {
        block.data = AllocateBuffer(dwBytes, zero);
        if (!block.data) return nullptr;
        block.size = dwBytes;
        block.capacity = std::max<SIZE_T>(dwBytes, 1);
    }
    HGLOBAL handle = block.data.get();
    if (uFlags & GMEM_MOVEABLE) {
        block.entry.reset(new (std::nothrow) HandleEntry);
        if (!block.entry) return nullptr;
        block.Publish();
        handle = block.entry.get();
    }

    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    try {
        registry.blocks.emplace(handle, std::move(block));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return handle;
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block* block = registry.Find(hMem);
    if (!block) return nullptr;

    if (block->Moveable() && dwBytes == 0) {
        // Discards the contents; the handle survives and locks fail until it regrows.
        if (block->locks > 0) return nullptr;
        block->data.reset();
        block->size = block->capacity = 0;
        block->Publish();
        return hMem;
    }

    const SIZE_T oldSize = block->size;
    HGLOBAL result = hMem;
    if (dwBytes > block->capacity) {
        // Moving is allowed for an unlocked moveable block, or for a fixed block
        // when the caller asks for GMEM_MOVEABLE (and then gets a new pointer).
        const bool mayMove = block->Moveable() ? block->locks == 0 : (uFlags & GMEM_MOVEABLE) != 0;
        if (!mayMove || !Reallocate(*block, dwBytes)) return nullptr;
        block->Publish();
        if (!block->Moveable()) {
            result = block->data.get();
            if (result != hMem) {
                auto node = registry.blocks.extract(hMem);
                node.key() = result;
                registry.blocks.insert(std::move(node));
                block = registry.Find(result);
            }
        }
    }
    block->size = dwBytes;
    if ((uFlags & GMEM_ZEROINIT) && dwBytes > oldSize) std::memset(block->data.get() + oldSize, 0, dwBytes - oldSize);
    return result;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    if (!hMem) return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    // A locked block is freed too, as Windows does.
    return registry.blocks.erase(hMem) == 1 ? nullptr : hMem;
}

LPVOID GlobalLock(HGLOBAL hMem)
{
    if (!hMem) return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block* block = registry.Find(hMem);
    if (!block || !block->data) return nullptr;
    if (block->Moveable()) ++block->locks;
    return block->data.get();
}

BOOL GlobalUnlock(HGLOBAL hMem)
{
    if (!hMem) return FALSE;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block* block = registry.Find(hMem);
    if (!block) return FALSE;
    // Fixed blocks carry no lock count; Windows answers TRUE for them.
    if (!block->Moveable()) return TRUE;
    if (block->locks == 0) return FALSE;
    return --block->locks != 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL hMem)
{
    if (!hMem) return 0;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const Block* block = registry.Find(hMem);
    return block ? block->size : 0;
}
