#include "world/gltf/Json.h"

#include <algorithm>
#include <charconv>
#include <cmath>

bool JsonValue::isInteger() const {
    return kind == Kind::Number && std::isfinite(number) && std::floor(number) == number &&
           std::abs(number) < 9.0e18;
}

const JsonValue* JsonValue::find(std::string_view key) const {
    if (kind != Kind::Object) {
        return nullptr;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            return &items[i];
        }
    }
    return nullptr;
}

namespace {

class JsonReader {
public:
    JsonReader(std::string_view text, int maxDepth) : text_(text), maxDepth_(maxDepth) {}

    JsonRead read() {
        JsonRead result;
        JsonValue value;
        skipBlanks();
        if (!readValue(value, 0)) {
            result.problem = problem_;
            return result;
        }
        skipBlanks();
        if (at_ != text_.size()) {
            result.problem = "is not JSON: text follows its end at byte " + std::to_string(at_);
            return result;
        }
        result.value = std::move(value);
        return result;
    }

private:
    bool fail(const std::string& what) {
        if (problem_.empty()) {
            problem_ = "is not JSON at byte " + std::to_string(at_) + ": " + what;
        }
        return false;
    }

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r')) {
            ++at_;
        }
    }

    bool literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) {
            return fail("an unknown word");
        }
        at_ += word.size();
        return true;
    }

    bool readValue(JsonValue& value, int depth) {
        if (at_ >= text_.size()) {
            return fail("it ends too early");
        }
        switch (text_[at_]) {
        case '{':
        case '[':
            if (depth >= maxDepth_) {
                problem_ = "nests its JSON more than " + std::to_string(maxDepth_) + " levels deep";
                return false;
            }
            return text_[at_] == '{' ? readObject(value, depth + 1) : readArray(value, depth + 1);
        case '"':
            value.kind = JsonValue::Kind::String;
            return readString(value.text);
        case 't':
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = true;
            return literal("true");
        case 'f':
            value.kind = JsonValue::Kind::Boolean;
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return readNumber(value);
        }
    }

    bool readObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++at_;
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == '}') {
            ++at_;
            return true;
        }
        for (;;) {
            skipBlanks();
            if (at_ >= text_.size() || text_[at_] != '"') {
                return fail("a member's name is missing");
            }
            std::string key;
            if (!readString(key)) {
                return false;
            }
            skipBlanks();
            if (at_ >= text_.size() || text_[at_] != ':') {
                return fail("a ':' is missing");
            }
            ++at_;
            skipBlanks();
            value.keys.push_back(std::move(key));
            value.items.emplace_back();
            if (!readValue(value.items.back(), depth)) {
                return false;
            }
            skipBlanks();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == '}') {
                ++at_;
                return uniqueKeys(value);
            }
            return fail("a ',' or '}' is missing");
        }
    }

    // Of two members with one name the importer's reader takes the first,
    // where a check that took the last would judge another file than the
    // one imported.
    bool uniqueKeys(const JsonValue& object) {
        std::vector<const std::string*> keys;
        keys.reserve(object.keys.size());
        for (const std::string& key : object.keys) {
            keys.push_back(&key);
        }
        std::sort(keys.begin(), keys.end(),
                  [](const std::string* a, const std::string* b) { return *a < *b; });
        const auto twice =
            std::adjacent_find(keys.begin(), keys.end(),
                               [](const std::string* a, const std::string* b) { return *a == *b; });
        if (twice == keys.end()) {
            return true;
        }
        problem_ = "names the member \"" + printable(**twice) +
                   "\" twice in one object (ending at byte " + std::to_string(at_) +
                   "), which the importer reads otherwise than the game";
        return false;
    }

    // A key as it can be shown in one line.
    static std::string printable(const std::string& key) {
        std::string shown;
        for (const char c : key.substr(0, 64)) {
            shown += static_cast<unsigned char>(c) < 0x20 || c == '"' ? '?' : c;
        }
        return shown;
    }

    bool readArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++at_;
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == ']') {
            ++at_;
            return true;
        }
        for (;;) {
            skipBlanks();
            value.items.emplace_back();
            if (!readValue(value.items.back(), depth)) {
                return false;
            }
            skipBlanks();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == ']') {
                ++at_;
                return true;
            }
            return fail("a ',' or ']' is missing");
        }
    }

    static void appendUtf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    bool readHex4(uint32_t& code) {
        if (at_ + 4 > text_.size()) {
            return fail("a \\u escape ends too early");
        }
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= uint32_t(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= uint32_t(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= uint32_t(c - 'A' + 10);
            } else {
                return fail("a \\u escape holds a character that is not hexadecimal");
            }
        }
        return true;
    }

    bool readString(std::string& out) {
        ++at_; // the opening quote
        for (;;) {
            if (at_ >= text_.size()) {
                return fail("a string is not closed");
            }
            const char c = text_[at_++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return fail("a string holds a control character");
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) {
                return fail("a string is not closed");
            }
            switch (const char e = text_[at_++]) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                uint32_t code = 0;
                if (!readHex4(code)) {
                    return false;
                }
                if (code >= 0xD800 && code < 0xDC00) {
                    uint32_t low = 0;
                    if (text_.substr(at_, 2) != "\\u") {
                        return fail("a \\u escape is half of a pair");
                    }
                    at_ += 2;
                    if (!readHex4(low)) {
                        return false;
                    }
                    if (low < 0xDC00 || low >= 0xE000) {
                        return fail("a \\u escape is half of a pair");
                    }
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    return fail("a \\u escape is half of a pair");
                }
                appendUtf8(out, code);
                break;
            }
            default:
                return fail("a string holds an unknown escape");
            }
        }
    }

    bool readNumber(JsonValue& value) {
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') {
            ++at_;
        }
        auto digits = [&] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
                ++at_;
            }
            return at_ - from;
        };
        const std::size_t whole = digits();
        if (whole == 0 || (whole > 1 && text_[at_ - whole] == '0')) {
            at_ = start;
            return fail(whole == 0 ? "a value is missing or unknown"
                                   : "a number starts with a zero");
        }
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (digits() == 0) {
                return fail("a number has no digits after its point");
            }
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) {
                ++at_;
            }
            if (digits() == 0) {
                return fail("a number has no digits in its exponent");
            }
        }
        value.kind = JsonValue::Kind::Number;
        const auto [end, error] =
            std::from_chars(text_.data() + start, text_.data() + at_, value.number);
        if (error == std::errc::result_out_of_range) {
            // Beyond a double: infinite, or zero; never an index.
            value.number = text_[start + (text_[start] == '-')] == '0' ? 0.0 : HUGE_VAL;
        } else if (error != std::errc() || end != text_.data() + at_) {
            return fail("a number cannot be read");
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int maxDepth_;
    std::string problem_;
};

} // namespace

JsonRead readJson(std::string_view text, int maxDepth) {
    return JsonReader(text, maxDepth).read();
}
