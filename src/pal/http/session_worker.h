// The one thread of an asynchronous session: it owns a libcurl multi handle
// with the session's transfers, runs the work the calls post to it, and
// delivers the completions of its requests.
#pragma once

#include "../base/types.h"

#include <condition_variable>
#include <curl/curl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pal::http {

class Request;

class SessionWorker : public std::enable_shared_from_this<SessionWorker> {
  public:
    // Null when libcurl cannot be set up.
    static std::shared_ptr<SessionWorker> Start();
    ~SessionWorker();
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // Runs work on the worker thread soon. False when the worker has stopped.
    bool Post(std::function<void()> work);
    // Runs work on the worker thread and waits for it; at once when called there.
    bool Run(const std::function<void()>& work);
    bool OnWorkerThread() const noexcept { return std::this_thread::get_id() == threadId_; }

    // Worker thread only.
    bool Attach(const std::shared_ptr<Request>& request);
    void Detach(Request& request);

    // Lets the session say when it is gone: the thread ends once no request is left.
    void Stop();

  private:
    SessionWorker() = default;
    void Loop();
    void RunPosted();
    void CollectFinished();
    void CheckTimeouts();
    void Deliver();

    CURLM* multi_ = nullptr;
    std::thread thread_;
    std::thread::id threadId_;

    std::mutex mutex_;
    std::vector<std::function<void()>> posted_;
    bool stopping_ = false;
    bool stopped_ = false;

    // Worker thread only.
    std::vector<std::shared_ptr<Request>> requests_;
};

// Scales every time-out of the layer's sessions (1 = as set). A seam for
// tests, so a stalled server is met in seconds rather than minutes.
void SetTimeoutScaleForTesting(double scale) noexcept;
double TimeoutScale() noexcept;

} // namespace pal::http
