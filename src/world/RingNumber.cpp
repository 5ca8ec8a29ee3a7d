#include "world/RingNumber.h"

#include <cctype>
#include <charconv>

RingNumberRead readRingNumber(const std::string& name, int32_t& number) {
    const std::size_t underscore = name.find('_');
    if (underscore == std::string::npos) {
        return RingNumberRead::Missing;
    }
    const char* p = name.data() + underscore + 1;
    const char* end = name.data() + name.size();
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) {
        ++p;
    }
    if (p < end && *p == '+') {
        ++p;
        if (p == end || !std::isdigit(static_cast<unsigned char>(*p))) {
            return RingNumberRead::Missing;
        }
    }
    const auto [rest, status] = std::from_chars(p, end, number);
    (void)rest;
    if (status == std::errc::result_out_of_range) {
        return RingNumberRead::OutOfRange;
    }
    return status == std::errc() ? RingNumberRead::Read : RingNumberRead::Missing;
}
