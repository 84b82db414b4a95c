#pragma once

#include <cmath>

namespace quorvane {

// Rounds to the nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14).
inline long long RoundHalfEven(double value) {
  const double floorValue = std::floor(value);
  const double diff = value - floorValue;
  long long result = static_cast<long long>(floorValue);
  if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0))) {
    ++result;
  }
  return result;
}

}  // namespace quorvane
