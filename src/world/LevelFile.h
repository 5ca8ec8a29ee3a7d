#pragma once

#include "world/LevelFormat.h"

#include <string>
#include <vector>

// The checks a level file passes before it is handed to the importer, which
// would block on a pipe, run out of stack on nodes nested thousands of
// levels deep.

// Deeper XML nesting than this is refused. A Blender scene nests a few
// elements per object below a dozen for the file itself; a thousand leaves
// room for hierarchies of some hundreds of objects while staying far below
// the depth (some 6,000 nested nodes) at which the importer's recursion
// exhausts an 8 MB stack.
inline constexpr int MAX_LEVEL_NESTING = 1000;

// A larger level file is refused unread (the shipped level is 1 MB).
inline constexpr unsigned long long MAX_LEVEL_FILE_BYTES = 256ull << 20;

// Empty when the file may be imported; otherwise the end of a sentence that
// starts with the file's name, saying why not: it is not a regular file (a
// directory, a pipe, a device: never opened), it cannot be read, it is
// larger than MAX_LEVEL_FILE_BYTES or yields more than its size says (a
// file of the system that never ends). Its first bytes say its format: a
// glTF file then passes `checkGltf`; anything else is read as XML, refused
// when its elements nest deeper than MAX_LEVEL_NESTING, or a list of whole
// numbers (<p>, <vcount>, <int_array>, ...) holds a character that cannot be
// part of one, on which the importer would loop for ever (read once in
// small pieces; comments, CDATA and processing instructions are skipped). A
// file that does not exist passes: the importer reports it.
std::string levelFileProblem(const std::string& path);

// What a level file is and whether the importer may have it.
struct LevelFileCheck {
    LevelFormat format = LevelFormat::Other;
    // Empty when the file may be imported; else as `levelFileProblem` says.
    std::string problem;
    // Whether the problem is that the file cannot be read at all (rather
    // than that it reads but is broken inside).
    bool unreadable = false;
    // glTF: each material's emissive strength, which the importer drops.
    std::vector<float> emissiveStrengths;
};

// The same checks, with the file's format.
LevelFileCheck checkLevelFile(const std::string& path);
