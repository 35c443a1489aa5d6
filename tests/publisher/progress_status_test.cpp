// What a run shows of its progress: the meter's arithmetic under a clock the
// test moves, the time-left wording, when the estimate appears, and the line.
#include "imaging/locale_number_format.h"
#include "pal/utf.h"
#include "publisher/progress_status_text.h"
#include "publisher/rate_meter.h"
#include "tests/support/locale_test.h"

#include <gtest/gtest.h>

namespace {

using orvana::RateMeter;
using testing_support::UseLocale;

constexpr ULONGLONG kSecond = 10'000'000ull;

std::string Narrow(const pal::WideString& text)
{
    return pal::ToUtf8(text);
}

std::string TimeLeft(ULONGLONG days, ULONGLONG hours, ULONGLONG minutes, ULONGLONG seconds)
{
    return Narrow(orvana::TimeLeftText((((days * 24 + hours) * 60 + minutes) * 60 + seconds) * kSecond));
}

TEST(RateMeter, MeasuresFromItsStartAndSmoothsOverTheLatest25Samples)
{
    ULONGLONG now = 1000 * kSecond;
    RateMeter meter([&] { return now; });
    EXPECT_EQ(meter.Rate(), 0.0) << "not started";
    EXPECT_FALSE(meter.Start(0));
    ASSERT_TRUE(meter.Start(1000));
    EXPECT_FALSE(meter.Start(500)) << "a second start leaves the run as it is";
    EXPECT_EQ(meter.Total(), 1000u);
    EXPECT_EQ(meter.Rate(), 0.0) << "no time has passed";
    EXPECT_FALSE(meter.TimeLeft()) << "unknown while the average is 0";

    now += 10 * kSecond;
    ASSERT_TRUE(meter.Add(100));
    EXPECT_DOUBLE_EQ(meter.Rate(), 10.0);
    // The unknown sample above still counts: (0 + 10) / 2 = 5 units a second for 900 units.
    EXPECT_EQ(meter.TimeLeft(), 180 * kSecond);

    RateMeter ring([&] { return now; });
    for (int i = 0; i < 25; ++i)
        ring.AverageRate(1.0);
    EXPECT_DOUBLE_EQ(ring.AverageRate(26.0), 2.0) << "the 26th sample replaces the first";

    EXPECT_FALSE(meter.Add(0xFFFFFFFFull)) << "done may not pass 0xFFFFFFFF";
    EXPECT_EQ(meter.Done(), 100u);
    EXPECT_TRUE(meter.Add(0xFFFFFFFFull - 100));
    EXPECT_FALSE(meter.Add(1));
    meter.Reset();
    EXPECT_EQ(meter.Done(), 0u);
    EXPECT_TRUE(meter.Start(200)) << "a reset meter starts again";
}

TEST(TimeLeftText, NamesTheLargestUnitsAndRoundsShortTimesToFiveSeconds)
{
    EXPECT_EQ(TimeLeft(0, 1, 0, 0), "1 hour");
    EXPECT_EQ(TimeLeft(1, 0, 5, 0), "1 day");
    EXPECT_EQ(TimeLeft(2, 3, 4, 5), "2 days, 3 hours");
    EXPECT_EQ(TimeLeft(0, 2, 1, 30), "2 hours, 1 minute");
    EXPECT_EQ(TimeLeft(0, 0, 2, 56), "2 minutes, 59 seconds");
    EXPECT_EQ(TimeLeft(0, 0, 2, 31), "2 minutes, 35 seconds");
    EXPECT_EQ(TimeLeft(0, 0, 4, 0), "4 minutes");
    EXPECT_EQ(TimeLeft(0, 0, 5, 40), "5 minutes");
    EXPECT_EQ(TimeLeft(0, 0, 1, 50), "less than one minute");
    EXPECT_EQ(Narrow(orvana::TimeLeftText(std::nullopt)), "less than one minute");
}

TEST(EstimateShown, WaitsLongerForSmallRunsAndForVeryLargeOnes)
{
    // The threshold for each run size: a run's overall percentage up to 30
    // pictures, whole pictures done above.
    const struct {
        ULONGLONG pictures;
        ULONGLONG threshold;
    } cases[] = {{1, 75},  {2, 75},   {3, 74},   {29, 51},   {30, 50},  {31, 15},
                 {40, 15}, {500, 31}, {999, 49}, {1000, 50}, {5000, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pictures);
        const ULONGLONG per = c.pictures <= 30 ? c.pictures : 100; // units for one step of the measure
        EXPECT_FALSE(orvana::EstimateShown(c.pictures, c.threshold * per - 1));
        EXPECT_TRUE(orvana::EstimateShown(c.pictures, c.threshold * per));
    }
    EXPECT_FALSE(orvana::EstimateShown(0, 0)) << "nothing measured divides by nothing";
}

class StatusLine : public testing_support::LocaleTest {};

TEST_F(StatusLine, CountsThePicturesWithTheLocalesGroupingAndAddsTheEstimate)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    const orvana::LocaleNumberFormat numbers;
    EXPECT_EQ(Narrow(orvana::ProgressStatusLine(4000, 1200, 10 * kSecond, numbers)),
              "Published 12 of 40 items. Estimating remaining time...");
    EXPECT_EQ(Narrow(orvana::ProgressStatusLine(4000, 2000, 151 * kSecond, numbers)),
              "Published 20 of 40 items. Estimated time left: 2 minutes, 35 seconds.");
    EXPECT_EQ(Narrow(orvana::ProgressStatusLine(150000, 6000, std::nullopt, numbers)),
              "Published 60 of 1,500 items. Estimated time left: less than one minute.");
    EXPECT_EQ(Narrow(orvana::ProgressStatusLine(100, 74, 600 * kSecond, numbers)), "Estimating remaining time...")
        << "one picture: the estimate alone, from 75%";
    EXPECT_EQ(Narrow(orvana::ProgressStatusLine(100, 75, 600 * kSecond, numbers)), "Estimated time left: 10 minutes.");
}

} // namespace
