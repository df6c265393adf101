#pragma once
// What an engine wrote during one conversion, kept for the row so that a failure can be read in
// full later. The engine redraws its progress line with carriage returns; the record keeps only
// the last state of such a line, as a terminal would show it, so the progress does not push the
// stream facts and the error out. Only the last kLimit bytes are kept.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::app {

class EngineRecord {
public:
    static constexpr std::size_t kLimit = 256 * 1024;

    explicit EngineRecord(std::size_t limit = kLimit) : limit_(limit < 64 ? 64 : limit) {}

    void Append(std::string_view bytes);
    // The record as text: whole lines, the unfinished last line included. When the start was
    // dropped, the text begins with a note saying so.
    std::string Text() const;
    bool Truncated() const { return truncated_; }
    bool Empty() const { return lines_.empty() && current_.empty(); }

private:
    void EndLine();
    void Trim();

    std::size_t limit_;
    std::string lines_;            // finished lines, each ending in '\n'
    std::string current_;          // the line being written
    bool carriageReturn_ = false;  // a '\r' whose meaning depends on the next byte
    bool truncated_ = false;
};

// The note that starts a record whose beginning was dropped.
inline constexpr std::string_view kRecordCutNote = "[... earlier output dropped ...]\n";

}  // namespace quillon::app
