#pragma once

#include <string>

// Why a path cannot be read as a data file, or "" when it can: it must name
// a regular file. A folder, a named pipe or a device is refused without being
// opened (opening a pipe would wait for a writer forever). Touches only the
// file's status, never its contents.
std::string regularFileProblem(const std::string& path);

// The same, but "" also when nothing is there at all, for callers that leave
// a missing file to be reported by whoever opens it.
std::string nonRegularFileProblem(const std::string& path);
