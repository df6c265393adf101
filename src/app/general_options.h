#pragma once
// The General options page without its widgets: the time fields, the filter clean-up, the
// checks made when the page is left, and the two histories it keeps.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/conversion_settings.h"

namespace quillon::app {

// A time range as the page shows it.
struct TimeFields {
    int32_t hours = 0;         // 0-32767
    int32_t minutes = 0;       // 0-59
    int32_t seconds = 0;       // 0-59
    int32_t milliseconds = 0;  // 0-999
};

TimeFields SplitTime(int32_t milliseconds);
// Saturates at the largest stored value instead of wrapping into a negative length.
int32_t JoinTime(const TimeFields& fields);

// Blanks and tabs removed, semicolons made commas.
std::string CleanFilterText(const std::string& text);

// The filter box's entries when its history has never been stored.
const std::vector<std::string>& DefaultFilterEntries();

// The three time ranges' check boxes: "Only convert" and "Ignore the last" exclude each other.
struct TimeRangeChecks {
    bool skip = false;
    bool convert = false;
    bool ignore = false;

    // When both arrive checked, "Ignore the last" counts as off.
    static TimeRangeChecks FromSettings(const formats::ConversionSettings& settings);
    void CheckConvert(bool on);
    void CheckIgnore(bool on);
};

// What the page holds while the sheet is open.
struct GeneralPageInput {
    int32_t outputFolderOpt = formats::kOutputSameAsSource;  // the selected entry's value
    std::string specificFolder;
    bool filterChecked = false;
    std::string filterText;
    int32_t targetExistsOpt = formats::kTargetRename;
    TimeRangeChecks checks;
    TimeFields skip;
    TimeFields convert;
    TimeFields ignore;
    int32_t requestAudioIndex = 1;
};

enum class GeneralPageFocus { None, SpecificFolder, Filter, ConvertHours };

struct GeneralPageProblem {
    std::string message;  // empty: the page may be left
    GeneralPageFocus focus = GeneralPageFocus::None;
};

// Checks the page and writes what it takes into `settings` (the sheet's copy). Values are
// written step by step as far as the checks got, and the input's cleaned filter text and
// "Ignore the last" check are updated the same way.
GeneralPageProblem ValidateGeneralPage(GeneralPageInput& input, formats::ConversionSettings& settings);

// The entry of the "Output folder:" and "If target file exists" lists, with the fallback the page
// makes when the stored value is none of them.
int32_t ValidOutputFolderOpt(int32_t value);
int32_t ValidTargetExistsOpt(int32_t value);

}  // namespace quillon::app
