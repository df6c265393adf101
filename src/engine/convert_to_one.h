#pragma once
// The pieces of Convert to One that need no run: the common intermediate format of the
// normalization pass and the engine's concat list file.

#include <string>
#include <vector>

#include "engine/source_item.h"
#include "formats/output_format.h"

namespace quillon::engine {

// The intermediate MPEG-TS format that every source is converted to before joining: the
// largest picture, frame rate, sample rate and channel count of the sources, unless the final
// format fixes them. tsTemplate is the catalogue's MPEG-TS record (its codec offers are used).
formats::OutputFormat BuildNormalizationFormat(const std::vector<const SourceItem*>& sources,
                                               const formats::OutputFormat& finalFormat,
                                               const formats::OutputFormat* tsTemplate);

// One line of the list: "file '<path>'\n", with every ' written as '\'' so the engine's
// concat reader gets the path back unchanged.
std::string ConcatListLine(const std::string& path);

// True when the list cannot carry the path: its lines end at a line break.
bool NeedsPlainNameLink(const std::string& path);

// A new symbolic link in folder, with a plain name and the target's extension, pointing at
// target. Returns its path; empty when none could be made.
std::string MakePlainNameLink(const std::string& target, const std::string& folder);

// Writes the list (UTF-8, one line per non-empty input) to a new temporary ".txt" file in
// folder. Returns its path; empty when nothing could be written (no file is left then).
std::string WriteConcatListFile(const std::vector<std::string>& inputs, const std::string& folder);

}  // namespace quillon::engine
