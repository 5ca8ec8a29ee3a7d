// The bests file: any bytes as the player's bests, read as the game reads it
// and, when it is whole, written again and read back unchanged.
#include "FuzzSupport.h"

#include "game/Bests.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const BestsText read = parseBests(text);
    // Whatever was read is written in a form read back whole, within bounds.
    const BestsFileText written = formatBests(read.bests, MAX_BESTS_BYTES);
    const BestsText again = parseBests(written.text);
    if (written.text.size() > MAX_BESTS_BYTES || !again.problems.empty() ||
        again.bests.size() + written.left.size() != read.bests.size()) {
        std::abort();
    }
    // The store on the same bytes: a damaged file is kept aside, never a
    // crash.
    // Each input starts from an empty folder: the copies of the last one go.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(scratchFolder(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
    const auto file = scratchFolder() / BESTS_FILE_NAME;
    writeBytes(file, data, size);
    BestsStore store(file);
    store.record("0123456789abcdef", "a.dae", 12.5, 100);
    return 0;
}
