#include "engine/source_item.h"

namespace quillon::engine {

const char* SourceKindName(SourceKind kind) {
    switch (kind) {
    case SourceKind::EngineFile: return "EngineFile";
    case SourceKind::DvdTitle: return "DvdTitle";
    case SourceKind::CdAudioTrack: return "CdAudioTrack";
    case SourceKind::AiffFile: return "AiffFile";
    case SourceKind::VocFile: return "VocFile";
    case SourceKind::ConcatList: return "ConcatList";
    }
    return "Unknown";
}

}  // namespace quillon::engine
