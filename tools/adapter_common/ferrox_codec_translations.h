#pragma once
// Codec choices of the program's command lines that the system's ffmpeg cannot carry out as
// written, rewritten into working equivalents (see TranslateFerroxArguments).

#include <string>
#include <vector>

namespace quillon::engine {

// `args` excludes the program name; the last item is the output file.
void TranslateCodecChoices(std::vector<std::string>& args);

// A codec and container pair that ffmpeg would write as a file nothing can read (RealVideo in
// AVI): the reason to refuse it, else empty. `args` as above.
std::string UnreadableCombination(const std::vector<std::string>& args);

// The file a conversion writes: the last argument, unless that is an input (a probe) or a
// numbered image pattern. Empty otherwise. `args` as above.
std::string ConversionOutputFile(const std::vector<std::string>& args);

}  // namespace quillon::engine
