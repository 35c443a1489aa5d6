#include "host/publishing_log.h"

#include "host/text_file.h"
#include "pal/utf.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace host {

namespace {

// Local time to the millisecond: the log is read by the person who ran the host.
std::string Timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03d", static_cast<int>(millis));
    return text;
}

// One entry a line: line breaks inside a message become spaces.
std::u16string OneLine(std::u16string_view text)
{
    std::u16string line(text);
    for (char16_t& c : line)
        if (c == u'\n' || c == u'\r') c = u' ';
    return line;
}

void PrintToStandardError(LONG, std::u16string_view text)
{
    const std::string line = pal::ToUtf8(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr); // one write, so lines of two threads do not mix
}

} // namespace

std::string LogLevelName(LONG level)
{
    switch (level) {
    case kLogTrace:
        return "trace";
    case kLogProgress:
        return "progress";
    case kLogWarning:
        return "warning";
    case kLogPictureFailed:
        return "picture failed";
    case kLogRunFailed:
        return "run failed";
    default:
        return "level " + std::to_string(level);
    }
}

void PublishingLog::SetFile(std::filesystem::path file)
{
    std::lock_guard lock(mutex_);
    file_ = std::move(file);
}

void PublishingLog::SetEchoLevel(LONG minimum)
{
    std::lock_guard lock(mutex_);
    echoLevel_ = minimum;
}

void PublishingLog::SetEchoSink(EchoSink sink)
{
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void PublishingLog::Write(LONG level, std::u16string_view source, std::u16string_view message) noexcept
{
    if (level >= 0 && static_cast<std::size_t>(level) < counts_.size())
        counts_[static_cast<std::size_t>(level)].fetch_add(1, std::memory_order_relaxed);
    try {
        const std::u16string text =
            OneLine(source) + u": " + pal::ToUtf16(LogLevelName(level)) + u": " + OneLine(message);
        EchoSink sink;
        {
            std::lock_guard lock(mutex_);
            try {
                if (!file_.empty()) AppendLine(file_, Timestamp() + "  " + pal::ToUtf8(text));
            } catch (const std::exception&) {
                // The terminal still shows the line.
            }
            if (level < echoLevel_) return;
            sink = sink_;
        }
        // Outside the lock: a sink may log or draw for a while.
        if (sink) {
            sink(level, text);
        } else {
            PrintToStandardError(level, text);
        }
    } catch (...) {
        // The plug-in ignores the result, and a lost line must not end its run.
    }
}

unsigned PublishingLog::Count(LONG level) const noexcept
{
    if (level < 0 || static_cast<std::size_t>(level) >= counts_.size()) return 0;
    return counts_[static_cast<std::size_t>(level)].load(std::memory_order_relaxed);
}

} // namespace host
