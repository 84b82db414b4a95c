#include "batch/ProgramId.h"

#include <cstdio>

namespace quorvane {

std::string ProgramIdText() {
  const auto& b = kProgramId;
  const unsigned data1 = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<unsigned>(b[3]) << 24);
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1,
                b[4] | (b[5] << 8), b[6] | (b[7] << 8), b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return text;
}

std::string ProgramVersionText() {
  std::string text;
  const int count = kProgramId[8];
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      text += '.';
    }
    text += std::to_string(kProgramId[i]);
  }
  return text;
}

}  // namespace quorvane
