#include "scrambled_constant.h"

#include "contract/secure_wipe.h"
#include "pal/wide_string.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace orvana {

namespace {

std::mutex& StoreLock()
{
    static std::mutex lock;
    return lock;
}

// A plain copy and the number of holders still reading it.
struct PlainCopy {
    std::unique_ptr<BYTE[]> bytes;
    std::size_t holders = 0;
};

std::map<const ScrambledConstant*, PlainCopy>& Store()
{
    static auto* store = new std::map<const ScrambledConstant*, PlainCopy>();
    return *store;
}

constexpr DWORD kSizeMask = 0x7FFFFFFF;

constexpr DWORD kNameKey = 0x5A3C96E1;
constexpr DWORD kValueKey = 0x1F2E3D4C;
constexpr ScrambledText kName(W("X-Zenfolio-User-Agent"), kNameKey);
constexpr ScrambledText kValue(W("Orvana/1.9.289.0"), kValueKey);

constexpr ScrambledConstant kNameRecord{
    static_cast<DWORD>(kName.kBytes), kNameKey, {'O', 'R', 'V', 'S', 'C', 'R', 'M', '1'}, kName.bytes.data()};
constexpr ScrambledConstant kValueRecord{
    static_cast<DWORD>(kValue.kBytes), kValueKey, {'O', 'R', 'V', 'S', 'C', 'R', 'M', '1'}, kValue.bytes.data()};

} // namespace

LPCWSTR Unscramble(const ScrambledConstant& record)
{
    std::lock_guard lock(StoreLock());
    auto& store = Store();
    if (const auto found = store.find(&record); found != store.end()) {
        ++found->second.holders;
        return reinterpret_cast<LPCWSTR>(found->second.bytes.get());
    }
    const std::size_t size = record.sizeAndFlag & kSizeMask;
    // Room for a terminator even if the payload lacks one; UTF-16 alignment.
    std::unique_ptr<BYTE[]> plain(new (std::nothrow) BYTE[size + 2]);
    if (!plain) return nullptr;
    std::memcpy(plain.get(), record.payload, size);
    TransformScrambled(plain.get(), size, record.key);
    plain[size] = plain[size + 1] = 0;
    auto* text = reinterpret_cast<LPCWSTR>(plain.get());
    store.emplace(&record, PlainCopy{std::move(plain), 1});
    return text;
}

void Release(const ScrambledConstant& record)
{
    std::lock_guard lock(StoreLock());
    auto& store = Store();
    const auto found = store.find(&record);
    if (found == store.end()) return;
    // Other threads' requests may still be reading the copy.
    if (--found->second.holders > 0) return;
    SecureWipe(found->second.bytes.get(), (record.sizeAndFlag & kSizeMask) + 2);
    store.erase(found);
}

const ScrambledConstant& ClientHeaderName()
{
    return kNameRecord;
}
const ScrambledConstant& ClientHeaderValue()
{
    return kValueRecord;
}

} // namespace orvana
