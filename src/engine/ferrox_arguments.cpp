#include "engine/ferrox_arguments.h"

#include "engine/ferrox_codec_translations.h"

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
    TranslateCodecChoices(args);
    return args;
}

std::string FerroxFfmpegProgram() {
    const char* chosen = std::getenv("QUILLON_FFMPEG");
    return chosen && *chosen ? std::string(chosen) : std::string("ffmpeg");
}

}  // namespace quillon::engine
