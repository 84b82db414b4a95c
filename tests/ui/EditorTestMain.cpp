// The editor's tests drive real widgets without a display, with settings in a directory of
// their own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "platform/TestSupport.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const quorvane::test::TTempDir config;
  setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
