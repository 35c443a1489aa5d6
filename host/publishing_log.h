// The host's publishing log: every line a plug-in logs goes to the log file
// with its time and level, and to the terminal from the level the user chose.
// Calls are counted per level, so a command can tell afterwards how many
// pictures failed (level 3) and whether the run could not start (level 4).
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <windows.h>

namespace host {

// The levels the plug-in logs at.
enum LogLevel : LONG {
    kLogTrace = 0,
    kLogProgress = 1,
    kLogWarning = 2,
    kLogPictureFailed = 3,
    kLogRunFailed = 4,
};

// The default echo level: problems only.
inline constexpr LONG kDefaultEchoLevel = kLogWarning;

class PublishingLog {
  public:
    // Receives each echoed line (without the time, no newline). A console that
    // draws below the log (a progress bar) prints it above itself.
    using EchoSink = std::function<void(LONG level, std::u16string_view text)>;

    // Empty: no file.
    void SetFile(std::filesystem::path file);
    // Lines at this level and above are echoed; 0 echoes all.
    void SetEchoLevel(LONG minimum);
    // A null sink restores the default, standard error.
    void SetEchoSink(EchoSink sink);

    // Never throws: a log file that cannot be written loses the line, not the call.
    void Write(LONG level, std::u16string_view source, std::u16string_view message) noexcept;
    // How many lines were written at a level (0 to 4); 0 for any other level.
    unsigned Count(LONG level) const noexcept;

  private:
    std::mutex mutex_;
    std::filesystem::path file_;
    LONG echoLevel_ = kDefaultEchoLevel;
    EchoSink sink_;
    std::array<std::atomic<unsigned>, 5> counts_{};
};

// The level's name as the log shows it ("warning"), or its number.
std::string LogLevelName(LONG level);

} // namespace host
