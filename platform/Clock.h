#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace quorvane {

// Milliseconds on a steady clock; wraps around like a 32-bit tick count.
inline uint32_t TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

inline void SleepMilliseconds(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace quorvane
