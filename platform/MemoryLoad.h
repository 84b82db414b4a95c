#pragma once

#include <string_view>

namespace quorvane {

// The share of physical memory in use, in percent: 100 - 100 * MemAvailable / MemTotal from
// /proc/meminfo; 0 when that cannot be read.
int MemoryLoadPercent();

// The same figure from the text of a meminfo file.
int MemoryLoadFromMeminfo(std::string_view meminfo);

}  // namespace quorvane
