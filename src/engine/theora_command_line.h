#pragma once
// The Ogg/Theora encoder's command line for the optimized OGG, OGM and OGV formats.

#include <string>

#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::engine {

// Formats carried out by the Ogg/Theora encoder instead of the engine.
inline bool UsesTheoraEncoder(int formatId) { return formatId == 135 || formatId == 145 || formatId == 155; }

// Adjusts in place: the source's size rounded up to even, the crop "same as" margins, and the
// format's video quality clamped to 1..10.
std::string BuildTheoraCommandLine(formats::OutputFormat& format, SourceItem& source,
                                   formats::ConversionSettings& settings, const std::string& encoderPath);

}  // namespace quillon::engine
