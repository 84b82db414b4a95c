#include "platform/MemoryLoad.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>

namespace quorvane {
namespace {

// The number after "<field>:" at the start of a line.
std::optional<uint64_t> MeminfoField(std::string_view meminfo, std::string_view field) {
  for (size_t start = 0; start < meminfo.size();) {
    size_t end = meminfo.find('\n', start);
    if (end == std::string_view::npos) {
      end = meminfo.size();
    }
    std::string_view line = meminfo.substr(start, end - start);
    start = end + 1;
    if (line.size() <= field.size() || line.substr(0, field.size()) != field ||
        line[field.size()] != ':') {
      continue;
    }
    line.remove_prefix(field.size() + 1);
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    uint64_t value = 0;
    if (std::from_chars(line.data(), line.data() + line.size(), value).ec == std::errc()) {
      return value;
    }
  }
  return std::nullopt;
}

}  // namespace

int MemoryLoadFromMeminfo(std::string_view meminfo) {
  const auto total = MeminfoField(meminfo, "MemTotal");
  const auto available = MeminfoField(meminfo, "MemAvailable");
  if (!total || !available || *total == 0 || *available > *total) {
    return 0;
  }
  return static_cast<int>(100 - *available * 100 / *total);
}

int MemoryLoadPercent() {
  std::ifstream in("/proc/meminfo");
  std::ostringstream text;
  text << in.rdbuf();
  return MemoryLoadFromMeminfo(text.str());
}

}  // namespace quorvane
