// The ring number in a ring node's name: any bytes as the name.
#include "world/RingNumber.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    int32_t number = -12345;
    const RingNumberRead read = readRingNumber(name, number);
    // A number is set only when it was read, and a name without "_" has none.
    if (read != RingNumberRead::Read && number != -12345) {
        std::abort();
    }
    if (name.find('_') == std::string::npos && read != RingNumberRead::Missing) {
        std::abort();
    }
    return 0;
}
