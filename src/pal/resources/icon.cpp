#include "pal/resources/data_lookup.h"
#include "pal/resources/icon_file.h"

#include <mutex>
#include <unordered_set>

namespace {

// The icons handed out, so that IconBytes can refuse any other handle.
class IconRegistry {
  public:
    HICON Register(const pal::DataResource* icon)
    {
        const std::lock_guard lock(mutex_);
        issued_.insert(icon);
        return reinterpret_cast<HICON>(const_cast<pal::DataResource*>(icon));
    }

    const pal::DataResource* Find(HICON handle) const noexcept
    {
        const auto* icon = reinterpret_cast<const pal::DataResource*>(handle);
        const std::lock_guard lock(mutex_);
        return issued_.contains(icon) ? icon : nullptr;
    }

  private:
    mutable std::mutex mutex_;
    std::unordered_set<const pal::DataResource*> issued_;
};

IconRegistry& Icons()
{
    static IconRegistry registry;
    return registry;
}

} // namespace

namespace pal {

std::span<const BYTE> IconBytes(HICON icon) noexcept
{
    const DataResource* entry = icon ? Icons().Find(icon) : nullptr;
    return entry ? std::span<const BYTE>(entry->data, entry->size) : std::span<const BYTE>();
}

} // namespace pal

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int, int, UINT)
{
    // A null instance asks for the system's stock images; there are none here.
    if (!hInst || !name || type != IMAGE_ICON) return nullptr;
    const std::optional<UINT> id = pal::ResourceNumber(name);
    if (!id) return nullptr;
    const pal::DataResource* icon = pal::FindDataResource(hInst, u"ICON", *id);
    if (!icon || !pal::IsIconFile({icon->data, icon->size})) return nullptr;
    // The icon is the module's constant data, so every load can share one handle,
    // and it never needs freeing; the size is chosen when the icon is drawn.
    try {
        return Icons().Register(icon);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
