// The widget tests run without a display, with settings in a directory of their own and the
// English texts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "platform/TestSupport.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const quorvane::test::TTempDir config;
  ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  quorvane::InitLanguage("", quorvane::FindDataFile("Quorvane_en.nls"));
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
