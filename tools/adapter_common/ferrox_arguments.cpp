#include "adapter_common/ferrox_arguments.h"

#include "adapter_common/ferrox_codec_translations.h"

#include <cstdlib>
#include <string_view>

namespace quillon::engine {

namespace {

using Arguments = std::vector<std::string>;

// Where the options of the output file begin: behind the value of the last "-i".
std::size_t OutputOptionsStart(const Arguments& args) {
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-i") start = i + 2;
    }
    return start;
}

bool IsVideoFilterOption(std::string_view arg) { return arg == "-vf" || arg == "-filter:v"; }

// Puts `filter` at the front of the output's video filter chain (ffmpeg uses the last -vf
// given), or adds "-vf filter" at `at` when there is none.
void PrependVideoFilter(Arguments& args, std::size_t at, const std::string& filter) {
    const std::size_t start = OutputOptionsStart(args);
    for (std::size_t i = args.size(); i-- > start;) {
        if (IsVideoFilterOption(args[i]) && i + 1 < args.size()) {
            std::string& chain = args[i + 1];
            chain = chain.empty() ? filter : filter + "," + chain;
            return;
        }
    }
    args.insert(args.begin() + static_cast<std::ptrdiff_t>(at), {"-vf", filter});
}

// -deinterlace was removed from ffmpeg; yadif does the same job. It goes first in the chain so
// that scaling and cropping see whole frames.
void TranslateDeinterlace(Arguments& args, std::size_t index) {
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(index));
    PrependVideoFilter(args, index, "yadif");
}

struct Translation {
    std::string_view option;
    void (*apply)(Arguments& args, std::size_t index);  // the option stands at args[index]
};

constexpr Translation kTranslations[] = {
    {"-deinterlace", TranslateDeinterlace},
};

const Translation* FindTranslation(std::string_view arg) {
    for (const Translation& t : kTranslations) {
        if (t.option == arg) return &t;
    }
    return nullptr;
}

// Raw G.722, G.723.1 and G.729 streams carry a fixed rate and layout, and their readers take
// no "-ar"/"-ac" (ffmpeg stops with "Option sample_rate not found"); drop them from the
// options of such an input.
void DropFixedRateInputOptions(Arguments& args) {
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "-i") continue;
        std::string_view format;
        for (std::size_t j = groupStart; j + 1 < i; ++j) {
            if (args[j] == "-f") format = args[j + 1];
        }
        if (format == "g722" || format == "g723_1" || format == "g729") {
            for (std::size_t j = groupStart; j + 1 < i;) {
                if (args[j] == "-ar" || args[j] == "-ac") {
                    args.erase(args.begin() + static_cast<std::ptrdiff_t>(j),
                               args.begin() + static_cast<std::ptrdiff_t>(j + 2));
                    i -= 2;
                } else {
                    j += args[j] == "-f" ? 2 : 1;
                }
            }
        }
        groupStart = i + 2;
        ++i;
    }
}

}  // namespace

Arguments TranslateFerroxArguments(Arguments args) {
    // Each pass applies one translation and starts over, since a translation may move or add
    // arguments. File names (the value of -i, and the output at the end) are never options.
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "-i") {
                ++i;
                continue;
            }
            if (i + 1 == args.size() && i > 0) break;
            if (const Translation* t = FindTranslation(args[i])) {
                t->apply(args, i);
                changed = true;
                break;
            }
        }
    }
    DropFixedRateInputOptions(args);
    TranslateCodecChoices(args);
    return args;
}

std::string FerroxFfmpegProgram() {
    const char* chosen = std::getenv("QUILLON_FFMPEG");
    return chosen && *chosen ? std::string(chosen) : std::string("ffmpeg");
}

}  // namespace quillon::engine
