#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quorvane {

// The program's GUID {00000701-75E7-11D7-0266-00A024502A20} as its 16-byte record: Data1 and
// the two 16-bit groups little-endian, then the eight last bytes as written.
inline constexpr std::array<uint8_t, 16> kProgramId = {
    0x01, 0x07, 0x00, 0x00, 0xE7, 0x75, 0xD7, 0x11, 0x02, 0x66, 0x00, 0xA0, 0x24, 0x50, 0x2A, 0x20};

// "{00000701-75E7-11D7-0266-00A024502A20}": upper-case hexadecimal digits in braces.
std::string ProgramIdText();

// The version carried by the record: its first N bytes in decimal joined by ".", N being its
// ninth byte ("1.7").
std::string ProgramVersionText();

// The program file's own version, compiled in.
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 7;

}  // namespace quorvane
