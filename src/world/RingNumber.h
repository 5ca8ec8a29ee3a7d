#pragma once

#include <cstdint>
#include <string>

// How reading a ring's number from its node name went.
enum class RingNumberRead { Read, Missing, OutOfRange };

// The integer after the first "_" of a ring node's name: leading blanks and a
// sign are allowed and reading stops at the first character that is not a
// digit, so ring_1.001 is ring 1. `number` is set only when it was read.
RingNumberRead readRingNumber(const std::string& name, int32_t& number);
