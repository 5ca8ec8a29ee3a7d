#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Why a path cannot be read as a data file, or "" when it can: it must name
// a regular file. A folder, a named pipe or a device is refused without being
// opened (opening a pipe would wait for a writer forever). Touches only the
// file's status, never its contents.
std::string regularFileProblem(const std::string& path);

// The same, but "" also when nothing is there at all, for callers that leave
// a missing file to be reported by whoever opens it.
std::string nonRegularFileProblem(const std::string& path);

// A small file read whole, or why it was not. The read stops at `maxBytes`
// and at the size the file reports, whichever is less: a file of the system
// that reports 0 bytes and never ends (/proc/self/pagemap) is refused after
// one byte, never read to its end.
struct BoundedRead {
    std::string text;
    // "" when read; else why not, to follow "<file>: " in a line.
    std::string problem;
    // Nothing is there (problem is then "no such file").
    bool missing = false;
    // The file holds more than `maxBytes`.
    bool tooLarge = false;
};
BoundedRead readBoundedFile(const std::string& path, std::size_t maxBytes);

// A size for people: "1 MiB", "64 KiB", or "1000 bytes".
std::string byteSizeText(std::size_t bytes);

// `text` in double quotes for a line naming a problem, cut to `maxBytes`
// with "..." inside the closing quote when longer.
std::string quoted(std::string_view text, std::size_t maxBytes = 40);

// Writes `text` as the file at `path`, whole or not at all: into a
// temporary file beside it, flushed to the disk, then renamed over `path`,
// and the folder flushed so that the rename outlives a power cut. A file
// that is there keeps its permissions. With
// `replace` false an existing `path` is left alone and the write fails with
// `exists` set. `problem` is "" when written, else why not, to follow the
// file's name.
struct WholeWrite {
    std::string problem;
    bool exists = false;
};
WholeWrite writeFileWhole(const std::string& path, std::string_view text, bool replace = true);

// Flushes a folder's entries (a rename or a new name in it) to the disk.
void syncFolder(const std::string& folder);
