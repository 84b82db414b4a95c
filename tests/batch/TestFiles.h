#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quorvane::test {

// A small page and what the default tag list makes of it.
inline constexpr char kPage[] =
    "<html>\r\n<body>\r\n  <p> Hello   world </p>\r\n</body>\r\n</html>\r\n";
inline constexpr char kCompressed[] = "<html><body><p>Hello world</p></body></html>";

inline std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void Write(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace quorvane::test
