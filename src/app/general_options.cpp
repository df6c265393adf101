#include "app/general_options.h"

#include <climits>

namespace quillon::app {

TimeFields SplitTime(int32_t milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    TimeFields fields;
    fields.hours = milliseconds / 3600000;
    fields.minutes = milliseconds / 60000 % 60;
    fields.seconds = milliseconds / 1000 % 60;
    fields.milliseconds = milliseconds % 1000;
    return fields;
}

int32_t JoinTime(const TimeFields& fields) {
    const int64_t total =
        int64_t{fields.milliseconds} + 1000LL * fields.seconds + 60000LL * fields.minutes + 3600000LL * fields.hours;
    if (total > INT32_MAX) return INT32_MAX;
    if (total < 0) return 0;
    return static_cast<int32_t>(total);
}

std::string CleanFilterText(const std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        clean.push_back(c == ';' ? ',' : c);
    }
    // Separators alone name no extension at all: that is an empty filter, not a filter of "".
    if (clean.find_first_not_of(',') == std::string::npos) clean.clear();
    return clean;
}

const std::vector<std::string>& DefaultFilterEntries() {
    static const std::vector<std::string> entries{"avi",          "flv",         "mkv,mka",      "mp4,m4v,mov",
                                                  "mpg,mpeg,mpe", "ogg,ogm,ogv", "vob,evo,evob", "wmv"};
    return entries;
}

TimeRangeChecks TimeRangeChecks::FromSettings(const formats::ConversionSettings& settings) {
    TimeRangeChecks checks;
    checks.skip = settings.EnableSkipLength != 0;
    checks.convert = settings.EnableConvertLength != 0;
    checks.ignore = settings.EnableIgnoreTheLast != 0 && !checks.convert;
    return checks;
}

void TimeRangeChecks::CheckConvert(bool on) {
    convert = on;
    if (on) ignore = false;
}

void TimeRangeChecks::CheckIgnore(bool on) {
    ignore = on;
    if (on) convert = false;
}

int32_t ValidOutputFolderOpt(int32_t value) {
    return value == formats::kOutputSpecificFolder ? value : formats::kOutputSameAsSource;
}

int32_t ValidTargetExistsOpt(int32_t value) {
    return value == formats::kTargetOverwrite || value == formats::kTargetSkip ? value : formats::kTargetRename;
}

GeneralPageProblem ValidateGeneralPage(GeneralPageInput& input, formats::ConversionSettings& settings) {
    settings.DestOutputFolderOpt = input.outputFolderOpt;
    settings.DestSpecifiedFolder = input.specificFolder;
    if (input.outputFolderOpt == formats::kOutputSpecificFolder && input.specificFolder.empty()) {
        return {"Please choose an output folder.", GeneralPageFocus::SpecificFolder};
    }

    input.filterText = CleanFilterText(input.filterText);
    settings.EnableExtFilter = input.filterChecked ? 1 : 0;
    settings.FilterExts = input.filterText;
    if (input.filterChecked && input.filterText.empty()) {
        return {"Please enter file extensions you need to filter.", GeneralPageFocus::Filter};
    }

    settings.TargetExistsOpt = input.targetExistsOpt;

    if (input.checks.convert) {
        input.checks.ignore = false;
        settings.ConvertLength = JoinTime(input.convert);
    }
    settings.EnableSkipLength = input.checks.skip ? 1 : 0;
    settings.EnableConvertLength = input.checks.convert ? 1 : 0;
    settings.EnableIgnoreTheLast = input.checks.ignore ? 1 : 0;
    if (input.checks.convert && settings.ConvertLength == 0) {
        return {"Conversion length must be greater than 0 millisecond.", GeneralPageFocus::ConvertHours};
    }

    // The lengths of unchecked ranges keep their previous values.
    if (input.checks.skip) settings.SkipLength = JoinTime(input.skip);
    if (input.checks.ignore) settings.IgnoreLength = JoinTime(input.ignore);

    if (input.requestAudioIndex <= 0) input.requestAudioIndex = 1;
    settings.RequestAudioIndex = input.requestAudioIndex;
    return {};
}

}  // namespace quillon::app
