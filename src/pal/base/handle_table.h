// The process's table of the layer's handles (HKEY, HINTERNET, HWND). A handle value
// carries a slot and that slot's generation: closing bumps the generation, so a
// closed handle stays refused even after its slot holds a new object, and a
// handle of one kind is never taken for another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace pal {

enum class HandleKind : std::uint8_t { RegistryKey = 1, Internet = 2, FileSearch = 3, Window = 4 };

using HandleValue = std::uintptr_t;

namespace handles {

// Zero when the table is full. Values are non-zero multiples of 4, like the
// addresses they stand in for.
HandleValue Add(HandleKind kind, std::shared_ptr<void> object);
// How many handles of that kind are open: what tests check for leaks.
std::size_t OpenCount(HandleKind kind);
// Null when the value is not an open handle of that kind.
std::shared_ptr<void> Find(HandleKind kind, HandleValue handle);
// Takes the object out; null when the value is not an open handle of that kind.
// The caller drops it, outside the table's lock.
std::shared_ptr<void> Remove(HandleKind kind, HandleValue handle);

} // namespace handles

// The typed view an area uses: handles of Kind always stand for a T.
template <typename T, HandleKind Kind> struct HandlesOf {
    static HandleValue Add(std::shared_ptr<T> object)
    {
        return handles::Add(Kind, std::const_pointer_cast<std::remove_const_t<T>>(std::move(object)));
    }
    static std::shared_ptr<T> Find(HandleValue handle)
    {
        return std::static_pointer_cast<T>(handles::Find(Kind, handle));
    }
    static std::shared_ptr<T> Remove(HandleValue handle)
    {
        return std::static_pointer_cast<T>(handles::Remove(Kind, handle));
    }
};

} // namespace pal
