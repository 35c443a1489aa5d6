// The reference host's object with the selection and the log in the test's
// hands: items are given as the record's path and extension list (or none),
// and every log call is kept with its level. Imaging is the real host's.
#pragma once

#include "contract/host_image_info.h"
#include "host/publishing_host.h"
#include "pal/unique_global.h"

#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct TestItem {
    std::u16string path;                      // without dot and extension
    std::optional<std::u16string> extensions; // nothing: the record carries no list
};

struct LogLine {
    LONG level;
    std::u16string text;
    friend bool operator==(const LogLine&, const LogLine&) = default;
};

class RecordingHost : public host::PublishingHost {
  public:
    void SetItems(std::vector<TestItem> items)
    {
        std::lock_guard lock(mutex_);
        items_ = std::move(items);
    }
    void FailSelection() { failSelection_ = true; }
    // Runs after each log call is recorded, outside the lock.
    void OnLog(std::function<void(const LogLine&)> hook)
    {
        std::lock_guard lock(mutex_);
        hook_ = std::move(hook);
    }
    std::vector<LogLine> Lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

    HRESULT STDMETHODCALLTYPE GetSelectedItems(LONG* plCount, HGLOBAL* phItems) override
    {
        if (failSelection_) return E_FAIL;
        std::lock_guard lock(mutex_);
        block_.reset(GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(1, items_.size()) * sizeof(ULONGLONG)));
        if (!block_) return E_OUTOFMEMORY;
        {
            pal::GlobalLockGuard locked(block_.get());
            auto* ids = static_cast<ULONGLONG*>(locked.Data());
            for (std::size_t n = 0; n < items_.size(); ++n)
                ids[n] = 1000 + n;
        }
        *plCount = static_cast<LONG>(items_.size());
        *phItems = block_.get();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemInfo(ULONGLONG ullItem, HostImageInfo* pInfo) override
    {
        std::lock_guard lock(mutex_);
        if (ullItem < 1000 || ullItem - 1000 >= items_.size()) return E_INVALIDARG;
        const TestItem& item = items_[ullItem - 1000];
        pInfo->itemPath = SysAllocStringLen(item.path.data(), static_cast<UINT>(item.path.size()));
        if (item.extensions)
            pInfo->extensions = SysAllocStringLen(item.extensions->data(), static_cast<UINT>(item.extensions->size()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Log(LONG nLevel, LPCWSTR, LPCWSTR lpszMessage) override
    {
        std::function<void(const LogLine&)> hook;
        LogLine line{nLevel, lpszMessage ? lpszMessage : u""};
        {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
            hook = hook_;
        }
        if (hook) hook(line);
        return S_OK;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<TestItem> items_;
    std::vector<LogLine> lines_;
    std::function<void(const LogLine&)> hook_;
    pal::UniqueGlobal<> block_;
    bool failSelection_ = false;
};

} // namespace testing_support
