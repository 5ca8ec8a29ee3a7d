// The bests file: any bytes as the player's bests, read as the game reads it
// and, when it is whole, written again and read back unchanged.
#include "FuzzSupport.h"

#include "game/Bests.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const BestsText read = parseBests(text);
    if (!read.problem.empty()) {
        if (!read.bests.empty()) {
            std::abort();
        }
    } else {
        const BestsText again = parseBests(formatBests(read.bests));
        if (!again.problem.empty() || again.bests.size() != read.bests.size()) {
            std::abort();
        }
    }
    // The store on the same bytes: a damaged file goes aside, never a crash.
    const auto file = scratchFolder() / BESTS_FILE_NAME;
    writeBytes(file, data, size);
    BestsStore store(file);
    store.record("0123456789abcdef", "a.dae", 12.5, 100);
    return 0;
}
