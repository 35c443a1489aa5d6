#include "pal/base/handle_table.h"

#include <climits>
#include <mutex>
#include <vector>

namespace pal::handles {

namespace {

constexpr unsigned kAlignBits = 2;
constexpr unsigned kSlotBits = 24;
// The top bit stays clear, so no value reaches the predefined registry keys.
constexpr unsigned kGenerationBits = sizeof(HandleValue) * CHAR_BIT - kAlignBits - kSlotBits - 1;
constexpr HandleValue kSlotMask = (HandleValue{1} << kSlotBits) - 1;
constexpr HandleValue kLastGeneration = (HandleValue{1} << kGenerationBits) - 1;

struct Slot {
    HandleValue generation = 1;
    HandleKind kind{};
    // Shared, so a handle closed on one thread stays whole for a call still using it on another.
    std::shared_ptr<void> object; // null while the slot is free
};

struct Table {
    std::mutex mutex;
    // Slot 0 is never handed out: every value then has a slot bit set and
    // cannot be HKEY_CLASSES_ROOT (0x80000000), which is a multiple of 4.
    std::vector<Slot> slots = std::vector<Slot>(1);
    std::vector<std::size_t> free; // capacity kept at slots.size(), so closing never allocates

    Slot* Open(HandleKind kind, HandleValue handle)
    {
        if ((handle & ((HandleValue{1} << kAlignBits) - 1)) != 0) return nullptr;
        const std::size_t index = (handle >> kAlignBits) & kSlotMask;
        if (index == 0 || index >= slots.size()) return nullptr;
        Slot& slot = slots[index];
        const bool match = slot.object && slot.kind == kind && slot.generation == handle >> (kAlignBits + kSlotBits);
        return match ? &slot : nullptr;
    }
};

Table& TheTable()
{
    // Never destroyed: handles may be closed from other statics' destructors.
    static auto* const table = new Table;
    return *table;
}

} // namespace

HandleValue Add(HandleKind kind, std::shared_ptr<void> object)
{
    Table& table = TheTable();
    const std::lock_guard lock(table.mutex);
    std::size_t index = 0;
    if (!table.free.empty()) {
        index = table.free.back();
        table.free.pop_back();
    } else {
        if (table.slots.size() > kSlotMask) return 0;
        table.free.reserve(table.slots.size() + 1);
        table.slots.emplace_back();
        index = table.slots.size() - 1;
    }
    Slot& slot = table.slots[index];
    slot.kind = kind;
    slot.object = std::move(object);
    return (slot.generation << (kAlignBits + kSlotBits)) | (static_cast<HandleValue>(index) << kAlignBits);
}

std::size_t OpenCount(HandleKind kind)
{
    Table& table = TheTable();
    const std::lock_guard lock(table.mutex);
    std::size_t count = 0;
    for (const Slot& slot : table.slots)
        count += slot.object && slot.kind == kind ? 1 : 0;
    return count;
}

std::shared_ptr<void> Find(HandleKind kind, HandleValue handle)
{
    Table& table = TheTable();
    const std::lock_guard lock(table.mutex);
    const Slot* slot = table.Open(kind, handle);
    return slot ? slot->object : nullptr;
}

std::shared_ptr<void> Remove(HandleKind kind, HandleValue handle)
{
    Table& table = TheTable();
    const std::lock_guard lock(table.mutex);
    Slot* slot = table.Open(kind, handle);
    if (!slot) return nullptr;
    std::shared_ptr<void> closing = std::move(slot->object);
    // A slot whose generations are used up is retired rather than ever repeat a value.
    if (slot->generation < kLastGeneration) {
        ++slot->generation;
        table.free.push_back(static_cast<std::size_t>(slot - table.slots.data()));
    }
    return closing;
}

} // namespace pal::handles
