// The General page's logic: time fields, the filter clean-up, the mutual exclusion of the
// length ranges and the checks made when the page is left.
#include <gtest/gtest.h>

#include <climits>

#include "app/general_options.h"

namespace quillon::app {
namespace {

using formats::ConversionSettings;

TEST(GeneralPage, TimeFieldsSplitAndJoin) {
    const TimeFields t = SplitTime(3 * 3600000 + 25 * 60000 + 7 * 1000 + 42);
    EXPECT_EQ(t.hours, 3);
    EXPECT_EQ(t.minutes, 25);
    EXPECT_EQ(t.seconds, 7);
    EXPECT_EQ(t.milliseconds, 42);
    EXPECT_EQ(JoinTime(t), 3 * 3600000 + 25 * 60000 + 7 * 1000 + 42);
    EXPECT_EQ(JoinTime(SplitTime(0)), 0);
    // The hour field goes to 32767: far beyond what the stored value can hold.
    EXPECT_EQ(JoinTime({32767, 59, 59, 999}), INT32_MAX);
    EXPECT_EQ(SplitTime(-5).hours, 0);
}

TEST(GeneralPage, FilterCleanUp) {
    EXPECT_EQ(CleanFilterText("mp4; avi"), "mp4,avi");
    EXPECT_EQ(CleanFilterText(" \tmkv ;;ogg "), "mkv,,ogg");
    // Separators alone are an empty filter, refused like one.
    EXPECT_EQ(CleanFilterText(";"), "");
    EXPECT_EQ(CleanFilterText(" , ;"), "");
    EXPECT_EQ(DefaultFilterEntries().size(), 8u);
    EXPECT_EQ(DefaultFilterEntries().front(), "avi");
    EXPECT_EQ(DefaultFilterEntries().back(), "wmv");

    ConversionSettings settings;
    GeneralPageInput input;
    input.filterChecked = true;
    input.filterText = "mp4; avi";
    EXPECT_TRUE(ValidateGeneralPage(input, settings).message.empty());
    EXPECT_EQ(settings.FilterExts, "mp4,avi");
    EXPECT_EQ(settings.EnableExtFilter, 1);

    for (const char* empty : {" \t ", ";", ",,"}) {
        input.filterText = empty;
        const GeneralPageProblem problem = ValidateGeneralPage(input, settings);
        EXPECT_EQ(problem.message, "Please enter file extensions you need to filter.") << empty;
        EXPECT_EQ(problem.focus, GeneralPageFocus::Filter);
    }

    // An unchecked filter may be empty.
    input.filterChecked = false;
    EXPECT_TRUE(ValidateGeneralPage(input, settings).message.empty());
}

TEST(GeneralPage, OnlyConvertAndIgnoreTheLastExcludeEachOther) {
    ConversionSettings settings;
    settings.EnableConvertLength = 1;
    settings.EnableIgnoreTheLast = 1;
    TimeRangeChecks checks = TimeRangeChecks::FromSettings(settings);
    EXPECT_TRUE(checks.convert);
    EXPECT_FALSE(checks.ignore);

    checks.CheckIgnore(true);
    EXPECT_TRUE(checks.ignore);
    EXPECT_FALSE(checks.convert);
    checks.CheckConvert(true);
    EXPECT_TRUE(checks.convert);
    EXPECT_FALSE(checks.ignore);
    checks.CheckConvert(false);
    EXPECT_FALSE(checks.convert);
    EXPECT_FALSE(checks.ignore);
}

TEST(GeneralPage, LengthsAreCheckedAndUncheckedRangesKeepTheirValues) {
    ConversionSettings settings;
    settings.SkipLength = 1111;
    settings.IgnoreLength = 2222;
    GeneralPageInput input;
    input.checks.convert = true;
    const GeneralPageProblem zero = ValidateGeneralPage(input, settings);
    EXPECT_EQ(zero.message, "Conversion length must be greater than 0 millisecond.");
    EXPECT_EQ(zero.focus, GeneralPageFocus::ConvertHours);

    input.convert = {0, 1, 30, 0};
    input.skip = {0, 0, 5, 0};
    input.checks.ignore = true;  // cannot stay on beside "Only convert"
    ASSERT_TRUE(ValidateGeneralPage(input, settings).message.empty());
    EXPECT_EQ(settings.ConvertLength, 90000);
    EXPECT_EQ(settings.EnableIgnoreTheLast, 0);
    EXPECT_FALSE(input.checks.ignore);
    EXPECT_EQ(settings.SkipLength, 1111);  // its range is not checked
    EXPECT_EQ(settings.IgnoreLength, 2222);

    input.checks = {true, false, true};
    input.ignore = {0, 0, 0, 250};
    ASSERT_TRUE(ValidateGeneralPage(input, settings).message.empty());
    EXPECT_EQ(settings.SkipLength, 5000);
    EXPECT_EQ(settings.IgnoreLength, 250);
    EXPECT_EQ(settings.ConvertLength, 90000);
    EXPECT_EQ(settings.EnableConvertLength, 0);
}

TEST(GeneralPage, SpecificFolderAudioIndexAndListFallbacks) {
    ConversionSettings settings;
    GeneralPageInput input;
    input.outputFolderOpt = formats::kOutputSpecificFolder;
    const GeneralPageProblem problem = ValidateGeneralPage(input, settings);
    EXPECT_EQ(problem.message, "Please choose an output folder.");
    EXPECT_EQ(problem.focus, GeneralPageFocus::SpecificFolder);

    input.specificFolder = "/media/Output";
    input.requestAudioIndex = 0;
    input.targetExistsOpt = formats::kTargetSkip;
    ASSERT_TRUE(ValidateGeneralPage(input, settings).message.empty());
    EXPECT_EQ(settings.RequestAudioIndex, 1);
    EXPECT_EQ(settings.DestOutputFolderOpt, formats::kOutputSpecificFolder);
    EXPECT_EQ(settings.DestSpecifiedFolder, "/media/Output");
    EXPECT_EQ(settings.TargetExistsOpt, formats::kTargetSkip);

    EXPECT_EQ(ValidOutputFolderOpt(5), formats::kOutputSameAsSource);
    EXPECT_EQ(ValidOutputFolderOpt(399), 399);
    EXPECT_EQ(ValidTargetExistsOpt(0), formats::kTargetRename);
    EXPECT_EQ(ValidTargetExistsOpt(22), 22);
}

}  // namespace
}  // namespace quillon::app
