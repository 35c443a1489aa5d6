#include "pal/http/session_worker.h"

#include "pal/http/async_request.h"
#include "pal/http/curl_handles.h"

#include <algorithm>
#include <atomic>
#include <future>

namespace pal::http {

namespace {

std::atomic<double> g_timeoutScale{1.0};

// The longest the loop sleeps without libcurl asking for less: time-outs are
// checked at this pace.
constexpr long kIdlePollMs = 50;

} // namespace

void SetTimeoutScaleForTesting(double scale) noexcept
{
    g_timeoutScale.store(scale > 0 ? scale : 1.0);
}

double TimeoutScale() noexcept
{
    return g_timeoutScale.load();
}

std::shared_ptr<SessionWorker> SessionWorker::Start()
{
    if (!InitialiseCurl()) return nullptr;
    std::shared_ptr<SessionWorker> worker(new SessionWorker());
    worker->multi_ = curl_multi_init();
    if (!worker->multi_) return nullptr;
    std::promise<void> started;
    // The thread keeps its worker alive until it ends, which may come after
    // the session let go of it (a callback closing the last request).
    worker->thread_ = std::thread([self = worker, &started] {
        self->threadId_ = std::this_thread::get_id();
        started.set_value();
        self->Loop();
    });
    started.get_future().wait();
    return worker;
}

SessionWorker::~SessionWorker()
{
    if (thread_.joinable()) {
        Stop();
    }
    if (multi_) curl_multi_cleanup(multi_);
}

bool SessionWorker::Post(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        posted_.push_back(std::move(work));
    }
    curl_multi_wakeup(multi_);
    return true;
}

bool SessionWorker::Run(const std::function<void()>& work)
{
    if (OnWorkerThread()) {
        work();
        return true;
    }
    std::promise<void> done;
    if (!Post([&] {
            work();
            done.set_value();
        }))
        return false;
    done.get_future().wait();
    return true;
}

void SessionWorker::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_);
    if (!thread_.joinable()) return;
    if (OnWorkerThread())
        thread_.detach();
    else
        thread_.join();
}

bool SessionWorker::Attach(const std::shared_ptr<Request>& request)
{
    if (curl_multi_add_handle(multi_, request->Easy()) != CURLM_OK) return false;
    requests_.push_back(request);
    return true;
}

void SessionWorker::Detach(Request& request)
{
    if (request.Easy()) curl_multi_remove_handle(multi_, request.Easy());
    request.Detach();
    std::erase_if(requests_, [&](const std::shared_ptr<Request>& held) { return held.get() == &request; });
}

void SessionWorker::Loop()
{
    for (;;) {
        RunPosted();
        {
            std::lock_guard lock(mutex_);
            if (stopping_ && requests_.empty() && posted_.empty()) {
                stopped_ = true;
                break;
            }
        }
        int running = 0;
        curl_multi_perform(multi_, &running);
        CollectFinished();
        for (const auto& request : requests_)
            request->Advance();
        CheckTimeouts();
        Deliver();

        long timeout = kIdlePollMs;
        if (curl_multi_timeout(multi_, &timeout) != CURLM_OK || timeout < 0 || timeout > kIdlePollMs)
            timeout = kIdlePollMs;
        {
            std::lock_guard lock(mutex_);
            if (!posted_.empty()) timeout = 0;
        }
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(timeout), nullptr);
    }
    RunPosted(); // nothing posted after stopped_ is set; run what came before
}

void SessionWorker::RunPosted()
{
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(mutex_);
        work.swap(posted_);
    }
    for (auto& item : work)
        item();
}

void SessionWorker::CollectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        curl_multi_remove_handle(multi_, easy);
        const auto found = std::find_if(requests_.begin(), requests_.end(),
                                        [&](const std::shared_ptr<Request>& held) { return held->Easy() == easy; });
        if (found != requests_.end()) (*found)->Finished(result);
    }
}

void SessionWorker::CheckTimeouts()
{
    const auto now = std::chrono::steady_clock::now();
    const double scale = TimeoutScale();
    for (const auto& request : requests_) {
        if (!request->TimedOut(now, scale)) continue;
        curl_multi_remove_handle(multi_, request->Easy());
        request->FailWith(ERROR_WINHTTP_TIMEOUT);
        request->Advance();
    }
}

void SessionWorker::Deliver()
{
    // A callback may close its request (and so change the list).
    const std::vector<std::shared_ptr<Request>> requests = requests_;
    for (const auto& request : requests)
        request->DeliverCompletions();
}

} // namespace pal::http
