#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Writes `text` as the whole new content of `path`, or leaves the file as it
// was: a temporary file beside it is written and flushed to the disk, renamed
// over the file, and the folder is flushed so that the rename survives a
// power cut. The folder is made when missing. A file that is there keeps its
// permissions; a symbolic link is written through (the file it names is
// replaced, the link stays). Returns "" on success, else why it failed.
std::string writeWholeFile(const std::filesystem::path& path, std::string_view text);

// Reads a whole small file into `text`. "" on success, else why it cannot be
// read: not a regular file, larger than `maxBytes`, or unreadable. A file
// that is not there is read as empty when `missingIsEmpty`.
std::string readWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                          std::string& text, bool missingIsEmpty);
