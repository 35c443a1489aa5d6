// The publishing log: every line in the file with its time and level, the
// terminal shown only what the user asked for, and the calls counted per
// level however many threads log.
#include "host/publishing_host.h"
#include "host/publishing_log.h"
#include "host/text_file.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/utf.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

class PublishingLogTest : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        host_.Configure(logFile_);
        host_.LogOutput().SetEchoSink([this](LONG level, std::u16string_view text) {
            std::lock_guard lock(mutex_);
            echoed_.push_back(std::to_string(level) + " " + pal::ToUtf8(text));
        });
    }

    void LogEveryLevel()
    {
        for (LONG level = 0; level <= 4; ++level)
            object_->Log(level, u"Zenfolio", (u"line " + pal::ToUtf16(std::to_string(level))).c_str());
    }

    const std::filesystem::path logFile_ = prefix_.Path() / "host" / "publishing.log";
    pal::ComPtr<IPublishingHost> object_ = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
    host::PublishingHost& host_ = *static_cast<host::PublishingHost*>(object_.Get());
    std::mutex mutex_;
    std::vector<std::string> echoed_;
};

TEST_F(PublishingLogTest, TheFileGetsEveryLineTheTerminalTheProblemsOrAllWhenVerbose)
{
    LogEveryLevel();
    EXPECT_EQ((std::vector<std::string>{"2 Zenfolio: warning: line 2", "3 Zenfolio: picture failed: line 3",
                                        "4 Zenfolio: run failed: line 4"}),
              echoed_);

    echoed_.clear();
    host_.Configure(logFile_, true);
    object_->Log(0, u"Zenfolio", u"two\nlines");
    EXPECT_EQ(std::vector<std::string>{"0 Zenfolio: trace: two lines"}, echoed_);

    const std::string log = host::ReadWholeFile(logFile_).value_or("");
    const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  Zenfolio: [a-z ]+: [a-z0-9 ]+\n)");
    std::size_t lines = 0;
    for (std::sregex_iterator it(log.begin(), log.end(), line), end; it != end; ++it)
        ++lines;
    EXPECT_EQ(6u, lines) << log;
    EXPECT_NE(std::string::npos, log.find("Zenfolio: progress: line 1\n")) << log;
}

TEST_F(PublishingLogTest, CountsEachLevelAcrossThreads)
{
    host_.LogOutput().SetEchoLevel(5); // nothing echoed
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this] {
            for (int n = 0; n < 50; ++n)
                LogEveryLevel();
        });
    for (std::thread& thread : threads)
        thread.join();
    object_->Log(3, u"Zenfolio", u"one more failure");
    object_->Log(-1, u"Zenfolio", u"a level the plug-in does not use");

    EXPECT_TRUE(echoed_.empty());
    EXPECT_EQ(200u, host_.LogOutput().Count(host::kLogTrace));
    EXPECT_EQ(201u, host_.LogOutput().Count(host::kLogPictureFailed));
    EXPECT_EQ(200u, host_.LogOutput().Count(host::kLogRunFailed));
    EXPECT_EQ(0u, host_.LogOutput().Count(-1));
    EXPECT_NE(std::string::npos, host::ReadWholeFile(logFile_).value_or("").find("level -1: a level"));
}

} // namespace
