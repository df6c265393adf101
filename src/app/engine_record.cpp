#include "app/engine_record.h"

namespace quillon::app {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void EngineRecord::Append(std::string_view bytes) {
    for (const char c : bytes) {
        if (carriageReturn_) {
            carriageReturn_ = false;
            // "\r\n" ends the line; a lone '\r' starts it over.
            if (c == '\n') {
                EndLine();
                continue;
            }
            current_.clear();
        }
        if (c == '\r') {
            carriageReturn_ = true;
        } else if (c == '\n') {
            EndLine();
        } else {
            current_.push_back(c);
            // A line that never ends is bounded too: its start goes.
            if (current_.size() > limit_) {
                std::size_t cut = current_.size() - limit_;
                while (cut < current_.size() && IsContinuationByte(current_[cut])) ++cut;
                current_.erase(0, cut);
                truncated_ = true;
            }
        }
    }
    Trim();
}

void EngineRecord::EndLine() {
    lines_ += current_;
    lines_.push_back('\n');
    current_.clear();
}

void EngineRecord::Trim() {
    // Erasing from the front is linear, so it waits until a quarter more has gathered.
    const std::size_t size = lines_.size() + current_.size();
    if (size <= limit_ + limit_ / 4) return;
    std::size_t excess = size - limit_;
    if (excess >= lines_.size()) {
        lines_.clear();
    } else {
        // Cut after a line end when one is near, so the record starts with a whole line.
        const std::size_t lineEnd = lines_.find('\n', excess - 1);
        if (lineEnd != std::string::npos && lineEnd + 1 < lines_.size()) {
            excess = lineEnd + 1;
        } else {
            while (excess < lines_.size() && IsContinuationByte(lines_[excess])) ++excess;
        }
        lines_.erase(0, excess);
    }
    truncated_ = true;
}

std::string EngineRecord::Text() const {
    std::string text;
    std::size_t keepFrom = 0;
    // The limit holds for the text given out, too.
    const std::size_t size = lines_.size() + current_.size();
    if (size > limit_) {
        keepFrom = size - limit_;
        while (keepFrom < lines_.size() && IsContinuationByte(lines_[keepFrom])) ++keepFrom;
    }
    if (truncated_ || keepFrom > 0) text.assign(kRecordCutNote);
    if (keepFrom < lines_.size()) text.append(lines_, keepFrom);
    text += current_;
    return text;
}

}  // namespace quillon::app
