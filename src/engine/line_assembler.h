#pragma once
// Turns the bytes an engine writes into lines. ffmpeg ends its progress lines with a bare CR and
// its messages with LF, so any run of CR and LF ends a line; what follows the last line break
// of a read is carried over and joined to the front of the next read.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::engine {

class LineAssembler {
public:
    // A line longer than this keeps its first maxLineBytes bytes; the rest is dropped, so an
    // engine that never ends a line cannot grow the carry without bound.
    static constexpr std::size_t kDefaultMaxLineBytes = 1 << 20;

    explicit LineAssembler(std::size_t maxLineBytes = kDefaultMaxLineBytes) : maxLineBytes_(maxLineBytes) {}

    // Calls onLine(std::string_view) for every complete, non-empty line in `bytes`.
    template <typename OnLine>
    void Feed(std::string_view bytes, OnLine&& onLine) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c != '\r' && c != '\n') continue;
            EndLine(bytes.substr(start, i - start), onLine);
            start = i + 1;
        }
        Carry(bytes.substr(start));
    }

    // Hands on the unfinished tail as the last line (the output has ended).
    template <typename OnLine>
    void Finish(OnLine&& onLine) {
        EndLine({}, onLine);
    }

    std::size_t carried() const { return carry_.size(); }

private:
    template <typename OnLine>
    void EndLine(std::string_view piece, OnLine& onLine) {
        if (carry_.empty()) {
            if (!piece.empty()) onLine(piece.substr(0, maxLineBytes_));
            return;
        }
        Carry(piece);
        std::string line;
        line.swap(carry_);
        onLine(std::string_view(line));
    }

    void Carry(std::string_view piece) {
        const std::size_t room = maxLineBytes_ > carry_.size() ? maxLineBytes_ - carry_.size() : 0;
        carry_.append(piece.substr(0, room));
    }

    std::size_t maxLineBytes_;
    std::string carry_;
};

}  // namespace quillon::engine
