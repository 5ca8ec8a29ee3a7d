#include "world/LevelFile.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// Follows the element structure of XML text fed in pieces, counting how deep
// elements nest. Only the markup that can hide a '<' or a '>' is told apart:
// comments, CDATA sections, processing instructions and declarations, and
// quoted attribute values.
class NestingCounter {
public:
    void feed(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            step(data[i]);
        }
    }
    int deepest() const { return deepest_; }

private:
    enum class State { Text, TagStart, Open, Close, Skip };

    void step(char c) {
        switch (state_) {
        case State::Text:
            if (c == '<') {
                state_ = State::TagStart;
            }
            break;
        case State::TagStart:
            if (c == '/') {
                state_ = State::Close;
            } else if (c == '!' || c == '?') {
                // Comments, CDATA, declarations and instructions end with
                // "-->", "]]>", ">" or "?>"; the sentinel decides.
                state_ = State::Skip;
                skipKind_ = c;
                tail_ = 0;
                skipped_ = 0;
            } else {
                state_ = State::Open;
                quote_ = 0;
                last_ = c;
            }
            break;
        case State::Open:
            if (quote_) {
                if (c == quote_) {
                    quote_ = 0;
                }
            } else if (c == '"' || c == '\'') {
                quote_ = c;
            } else if (c == '>') {
                if (last_ != '/') {
                    ++depth_;
                    deepest_ = std::max(deepest_, depth_);
                }
                state_ = State::Text;
            }
            last_ = c;
            break;
        case State::Close:
            if (c == '>') {
                depth_ = std::max(0, depth_ - 1);
                state_ = State::Text;
            }
            break;
        case State::Skip:
            skip(c);
            break;
        }
    }

    // Within "<!" or "<?": decides what is being skipped from its first
    // characters and leaves at its end.
    void skip(char c) {
        ++skipped_;
        tail_ = (tail_ << 8) | static_cast<unsigned char>(c);
        if (skipKind_ == '!' && skipped_ == 2 && (tail_ & 0xFFFF) == ('-' << 8 | '-')) {
            skipKind_ = '-';
        } else if (skipKind_ == '!' && skipped_ == 1 && c == '[') {
            skipKind_ = '[';
        }
        const bool ends = [&] {
            switch (skipKind_) {
            case '-':
                return skipped_ > 4 && (tail_ & 0xFFFFFF) == ('-' << 16 | '-' << 8 | '>');
            case '[':
                return (tail_ & 0xFFFFFF) == (']' << 16 | ']' << 8 | '>');
            case '?':
                return (tail_ & 0xFFFF) == ('?' << 8 | '>');
            default:
                return c == '>';
            }
        }();
        if (ends) {
            state_ = State::Text;
        }
    }

    State state_ = State::Text;
    int depth_ = 0;
    int deepest_ = 0;
    char quote_ = 0;
    char last_ = 0;
    char skipKind_ = 0;
    uint32_t tail_ = 0;
    std::size_t skipped_ = 0;
};

} // namespace

std::string levelFileProblem(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        // The importer says so in its own words.
        return {};
    }
    if (!std::filesystem::is_regular_file(status)) {
        return std::filesystem::is_directory(status)
                   ? "is a folder, not a level file"
                   : "is not a regular file (a pipe or a device); it was not opened";
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::string("cannot be opened: ") + std::strerror(errno);
    }
    NestingCounter counter;
    std::array<char, 1 << 16> buffer;
    while (file) {
        file.read(buffer.data(), buffer.size());
        counter.feed(buffer.data(), static_cast<std::size_t>(file.gcount()));
        if (counter.deepest() > MAX_LEVEL_NESTING) {
            return "nests its elements more than " + std::to_string(MAX_LEVEL_NESTING) +
                   " levels deep (nodes inside nodes); the game reads levels up to that depth";
        }
    }
    if (file.bad()) {
        return "cannot be read to its end";
    }
    return {};
}
