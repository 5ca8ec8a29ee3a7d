#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// Shared pieces of the fuzz targets: each target hands the fuzzer's bytes to
// one of the game's readers of outside data, through the same entry point the
// game uses.

// A folder of the target's own below the system's temporary directory, made
// once per process and removed at exit.
const std::filesystem::path& scratchFolder();

// Writes the bytes to `file` (replacing it), creating parent folders.
void writeBytes(const std::filesystem::path& file, const uint8_t* data, std::size_t size);

// A hidden window with a current OpenGL 3.3 context, opened once per process
// for the readers that still upload as they read. False (after one line on
// standard error) when there is no display.
bool openHiddenContext();

// Sends the game's console lines to /dev/null for the rest of the run: the
// readers report every bad input, and millions of lines would only slow the
// fuzzer down.
void silenceConsole();

// Writes the bytes as a level file named `fileName` in the scratch folder and
// reads it through the world loader, without uploading; aborts when the level
// comes with neither a world nor a reason, the one outcome the game cannot
// report.
void readLevelBytes(const char* fileName, const uint8_t* data, std::size_t size);
