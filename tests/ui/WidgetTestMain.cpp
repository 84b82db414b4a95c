// The widget tests run without a display, with settings in a directory of their own and the
// English texts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <fstream>
#include <random>

#include "DialogsTestSupport.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"

namespace quorvane::test {

TScratchDir::TScratchDir() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("quorvane-dialogs-" + std::to_string(random()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TScratchDir::Write(const std::string& name, const std::string& text) const {
  const std::filesystem::path file = path_ / name;
  std::ofstream(file, std::ios::binary) << text;
  return file.string();
}

}  // namespace quorvane::test

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const quorvane::test::TScratchDir config;
  ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  quorvane::InitLanguage("", quorvane::FindDataFile("Quorvane_en.nls"));
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
