#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A JSON value as read from a glTF file. Objects keep their members in file
// order, each name once.
struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    // Elements of an array, or the values of an object's members.
    std::vector<JsonValue> items;
    // The keys of an object's members, one for each of `items`.
    std::vector<std::string> keys;

    bool isObject() const { return kind == Kind::Object; }
    bool isArray() const { return kind == Kind::Array; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isString() const { return kind == Kind::String; }
    // A number without a fraction, within what a 64-bit integer holds.
    bool isInteger() const;

    // The member of an object, or null.
    const JsonValue* find(std::string_view key) const;
};

// JSON text read into values, or why it cannot be.
struct JsonRead {
    std::optional<JsonValue> value;
    // Empty when read; else the end of a sentence ("is not JSON at byte 12:
    // ...", "nests more than 64 levels deep").
    std::string problem;
};

// Reads one JSON value filling the text (blanks around it allowed), with
// arrays and objects nested at most `maxDepth` deep. An object that names
// one member twice is refused: readers differ on which of the two counts.
JsonRead readJson(std::string_view text, int maxDepth);
