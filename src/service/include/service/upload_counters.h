// What an upload's transfer callbacks report to the uploading thread: the
// bytes the transport took, the bytes ready to read, and the first error.
// One lock guards the three (they are read and written together rarely
// enough that separate locks would buy nothing); a change of the written
// count also wakes a thread waiting for it, apart from the completion event.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <windows.h>

namespace orvana {

class UploadCounters {
  public:
    void Reset()
    {
        std::lock_guard lock(mutex_);
        bytesWritten_ = bytesAvailable_ = 0;
        asyncError_ = 0;
    }
    void ResetWrittenAndError()
    {
        std::lock_guard lock(mutex_);
        bytesWritten_ = 0;
        asyncError_ = 0;
    }
    void ResetAvailable()
    {
        std::lock_guard lock(mutex_);
        bytesAvailable_ = 0;
    }

    void AddWritten(DWORD count)
    {
        {
            std::lock_guard lock(mutex_);
            bytesWritten_ += count;
        }
        changed_.notify_all();
    }
    void AddAvailable(DWORD count)
    {
        std::lock_guard lock(mutex_);
        bytesAvailable_ += count;
    }
    // Keeps the first error only.
    void SetError(DWORD error)
    {
        {
            std::lock_guard lock(mutex_);
            if (asyncError_ == 0) asyncError_ = error;
        }
        changed_.notify_all();
    }

    DWORD Written() const
    {
        std::lock_guard lock(mutex_);
        return bytesWritten_;
    }
    DWORD Available() const
    {
        std::lock_guard lock(mutex_);
        return bytesAvailable_;
    }
    DWORD Error() const
    {
        std::lock_guard lock(mutex_);
        return asyncError_;
    }

    // Waits at most timeout for the written count to pass `seen` or an error.
    void WaitForWrittenBeyond(DWORD seen, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return bytesWritten_ != seen || asyncError_ != 0; });
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    DWORD bytesWritten_ = 0;
    DWORD bytesAvailable_ = 0;
    DWORD asyncError_ = 0;
};

} // namespace orvana
