// The track list: any bytes as the list file, read as the game reads it.
#include "FuzzSupport.h"

#include "tracks/TrackList.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto file = scratchFolder() / TRACK_LIST_FILE;
    writeBytes(file, data, size);
    const std::vector<TrackEntry> tracks = readTrackList(file.string());
    // Whatever the file said, there is a track to fly, and every track is one
    // the list's rules allow.
    if (tracks.empty()) {
        std::abort();
    }
    for (const TrackEntry& track : tracks) {
        if (track.file.empty() || track.file.front() == '/' || track.difficulty < 1 ||
            track.difficulty > 5 || track.name.empty() ||
            track.name.size() > MAX_TRACK_NAME_BYTES) {
            std::abort();
        }
    }
    return 0;
}
