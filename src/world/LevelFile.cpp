#include "world/LevelFile.h"

#include "core/RegularFile.h"
#include "world/gltf/GltfFile.h"

#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// COLLADA's lists of whole numbers: the importer reads them number by
// number and never gets past a character that cannot start one.
bool isIntegerList(const std::string& element) {
    return element == "p" || element == "vcount" || element == "v" || element == "h" ||
           element == "ph" || element == "int_array";
}

// Only the blanks the importer skips between numbers: on any other one (a
// form feed, say) it reads the same zero again and again until it runs out
// of memory, and so it does on a character that cannot start a number.
bool fitsIntegerList(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == ' ' || c == '\t' || c == '\n' ||
           c == '\r' || c == '-' || c == '+';
}

// Follows the element structure of XML text fed in pieces, counting how deep
// elements nest and watching the text of integer lists. Only the markup that
// can hide a '<' or a '>' is told apart: comments, CDATA sections,
// processing instructions and declarations, and quoted attribute values.
// Markup inside an integer list (a comment, a CDATA section, an element) is
// itself a stray '<': the importer reads the list from the text around it,
// which would then go unwatched.
class LevelScanner {
public:
    void feed(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            step(data[i]);
        }
    }
    int deepest() const { return deepest_; }
    // The first character found in an integer list that is not part of a
    // number, and the list's element; 0 while there is none.
    char strayCharacter() const { return stray_; }
    const std::string& strayElement() const { return strayElement_; }
    // The first data array whose count is missing or differs from the
    // values it holds, said as the end of a sentence; empty while none.
    const std::string& arrayProblem() const { return arrayProblem_; }

private:
    enum class State { Text, TagStart, Open, Close, Skip };

    void step(char c) {
        switch (state_) {
        case State::Text:
            if (c == '<') {
                state_ = State::TagStart;
                endArray();
            } else if (inArray_) {
                const bool blank = std::isspace(static_cast<unsigned char>(c));
                values_ += !blank && !inValue_;
                inValue_ = !blank;
            }
            if (c != '<' && inList_ && !stray_ && !fitsIntegerList(c)) {
                stray_ = c;
                strayElement_ = name_;
            }
            break;
        case State::TagStart:
            if (c != '/' && inList_ && !stray_) {
                stray_ = '<';
                strayElement_ = name_;
            }
            if (c == '/') {
                state_ = State::Close;
                inList_ = false;
            } else if (c == '!' || c == '?') {
                // Comments, CDATA, declarations and instructions end with
                // "-->", "]]>", ">" or "?>"; the sentinel decides.
                state_ = State::Skip;
                skipKind_ = c;
                tail_ = 0;
                skipped_ = 0;
            } else {
                state_ = State::Open;
                inList_ = false;
                quote_ = 0;
                last_ = c;
                name_.assign(1, c);
                naming_ = true;
                tag_.clear();
            }
            break;
        case State::Open:
            if (naming_ && (std::isspace(static_cast<unsigned char>(c)) || c == '>' || c == '/')) {
                naming_ = false;
            } else if (naming_ && name_.size() < 16) {
                name_ += c;
            } else if (!naming_ && tag_.size() < MAX_TAG) {
                tag_ += c;
            }
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
                    inList_ = isIntegerList(name_);
                    beginArray();
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

    // COLLADA's data arrays (<float_array count="72">...) are read into as
    // many values as they say; the importer reads past an array that says
    // more than it holds, or nothing.
    void beginArray() {
        const std::size_t suffix = name_.rfind("_array");
        inArray_ = suffix != std::string::npos && suffix + 6 == name_.size();
        if (!inArray_) {
            return;
        }
        values_ = 0;
        inValue_ = false;
        expected_ = -1;
        // The attribute, not "count" inside another one's value.
        std::size_t at = 0;
        while ((at = tag_.find("count", at)) != std::string::npos &&
               (at == 0 || !std::isspace(static_cast<unsigned char>(tag_[at - 1])) ||
                tag_.find_first_not_of(" \t\r\n", at + 5) == std::string::npos ||
                tag_[tag_.find_first_not_of(" \t\r\n", at + 5)] != '=')) {
            ++at;
        }
        if (at != std::string::npos) {
            std::size_t i = at + 5;
            while (i < tag_.size() && (std::isspace(static_cast<unsigned char>(tag_[i])) ||
                                       tag_[i] == '=' || tag_[i] == '"' || tag_[i] == '\'')) {
                ++i;
            }
            std::size_t digits = i;
            while (digits < tag_.size() && std::isdigit(static_cast<unsigned char>(tag_[digits]))) {
                ++digits;
            }
            if (digits > i && digits - i < 12) {
                expected_ = std::stoll(tag_.substr(i, digits - i));
            }
        }
    }
    void endArray() {
        if (!inArray_) {
            return;
        }
        inArray_ = false;
        if (!arrayProblem_.empty()) {
            return;
        }
        if (expected_ < 0 && tag_.size() >= MAX_TAG) {
            return; // a tag too long to be kept whole: not judged
        }
        if (expected_ < 0) {
            arrayProblem_ = "has a <" + name_ + "> without a readable count";
        } else if (expected_ != values_) {
            arrayProblem_ = "has a <" + name_ + "> whose count (" + std::to_string(expected_) +
                            ") differs from the " + std::to_string(values_) + " values it holds";
        }
    }

    // How much of a tag's attributes is kept to find a count in.
    static constexpr std::size_t MAX_TAG = 8192;

    State state_ = State::Text;
    std::string name_;
    std::string tag_;
    bool inArray_ = false;
    bool inValue_ = false;
    long long values_ = 0;
    long long expected_ = -1;
    std::string arrayProblem_;
    bool naming_ = false;
    bool inList_ = false;
    char stray_ = 0;
    std::string strayElement_;
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
    return checkLevelFile(path).problem;
}

namespace {

LevelFormat formatOf(std::string_view start) {
    if (start.starts_with("glTF")) {
        return LevelFormat::GltfBinary;
    }
    if (start.starts_with("\xEF\xBB\xBF")) {
        start.remove_prefix(3);
    }
    const std::size_t first = start.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return LevelFormat::Other;
    }
    switch (start[first]) {
    case '{':
        return LevelFormat::GltfText;
    case '<':
        return LevelFormat::Collada;
    default:
        return LevelFormat::Other;
    }
}

LevelFileCheck fileCheck(LevelFormat format, std::string problem, bool unreadable) {
    LevelFileCheck check;
    check.format = format;
    check.problem = std::move(problem);
    check.unreadable = unreadable;
    return check;
}

LevelFileCheck unreadable(LevelFormat format, std::string problem) {
    return fileCheck(format, "cannot be read: " + std::move(problem), true);
}

std::string megabytes(unsigned long long bytes) {
    return std::to_string(bytes >> 20) + " MB";
}

} // namespace

LevelFileCheck checkLevelFile(const std::string& path) {
    // A file that is not there passes: the importer says so in its own words.
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        return {};
    }
    if (const std::string problem = regularFileProblem(path); !problem.empty()) {
        return unreadable(LevelFormat::Other, problem);
    }
    std::error_code unknown;
    const auto reported = std::filesystem::file_size(path, unknown);
    if (!unknown && reported > MAX_LEVEL_FILE_BYTES) {
        return unreadable(LevelFormat::Other, "it is " + megabytes(reported) +
                                                  "; the game reads levels up to " +
                                                  megabytes(MAX_LEVEL_FILE_BYTES));
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return unreadable(LevelFormat::Other, std::strerror(errno));
    }
    // No more is read than the file says it holds (a file of the system
    // such as /proc/self/pagemap says 0 and never ends), nor than the
    // ceiling.
    const unsigned long long limit =
        unknown ? MAX_LEVEL_FILE_BYTES
                : std::min<unsigned long long>(reported, MAX_LEVEL_FILE_BYTES);
    std::string content;
    std::array<char, 1 << 16> buffer;
    LevelScanner scanner;
    LevelFormat format = LevelFormat::Other;
    unsigned long long total = 0;
    while (file) {
        file.read(buffer.data(), buffer.size());
        const auto got = static_cast<std::size_t>(file.gcount());
        if (total == 0 && got > 0) {
            format = formatOf(std::string_view(buffer.data(), got));
        }
        total += got;
        if (total > limit) {
            return unreadable(format, "it yields more than the " + std::to_string(limit) +
                                          " bytes it says it holds (a device or a file of the "
                                          "system, not a level)");
        }
        if (isGltf(format)) {
            content.append(buffer.data(), got);
            continue;
        }
        scanner.feed(buffer.data(), got);
        if (scanner.deepest() > MAX_LEVEL_NESTING) {
            return fileCheck(format,
                             "nests its elements more than " + std::to_string(MAX_LEVEL_NESTING) +
                                 " levels deep (nodes inside nodes); the game reads levels up to "
                                 "that depth",
                             false);
        }
        if (!scanner.arrayProblem().empty()) {
            return fileCheck(
                format, scanner.arrayProblem() + ", which the importer would read past", false);
        }
        if (const char c = scanner.strayCharacter()) {
            const bool printable = std::isprint(static_cast<unsigned char>(c));
            return fileCheck(
                format,
                "holds " +
                    (printable ? std::string("'") + c + "'" : "a byte that is no character") +
                    " in a list of whole numbers (<" + scanner.strayElement() +
                    ">), which the importer cannot read past",
                false);
        }
    }
    if (file.bad()) {
        return fileCheck(format, "cannot be read to its end", true);
    }
    if (isGltf(format)) {
        GltfFileCheck gltf = checkGltf(path, content, format == LevelFormat::GltfBinary);
        if (gltf.unreadable) {
            return unreadable(format, std::move(gltf.problem));
        }
        LevelFileCheck check = fileCheck(format, std::move(gltf.problem), false);
        check.emissiveStrengths = std::move(gltf.emissiveStrengths);
        return check;
    }
    return fileCheck(format, {}, false);
}
