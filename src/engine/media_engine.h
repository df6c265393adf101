#pragma once
// The two programs that do the media work, ferrox (ffmpeg's command-line interface) and tavrel
// (Ogg/Theora), and the probe lines given to ferrox.

#include <string>
#include <string_view>

namespace quillon::engine {

inline constexpr const char* kEngineProgramName = "ferrox";
inline constexpr const char* kEncoderProgramName = "tavrel";

// The program folder followed by the program's name; the bare name when the folder is unknown.
std::string EnginePath();
std::string EncoderPath();

// The forced input format for raw streams ("h264", "mulaw -ar 8k -ac 1", ...); empty when the
// extension (lower case, without the dot) needs none.
std::string MapInputFormat(std::string_view extension);

// "\"engine\" -f FORMAT -i \"source\"", or with two blanks before -i when no format is forced.
std::string BuildProbeCommandLine(std::string_view enginePath, std::string_view sourcePath, std::string_view extension);
// The probe of a DVD title through its first VOB file: "\"engine\" -i \"vob\"".
std::string BuildDvdProbeCommandLine(std::string_view enginePath, std::string_view firstVobPath);

}  // namespace quillon::engine
