#include <gtest/gtest.h>

#include "ui/ChangesDialog.h"

namespace quorvane {
namespace {

TEST(ChangesDialog, ShowsTheChangedLines) {
  TChangesDialog dialog;
  dialog.ShowChange("<p>\r\n  one  \r\nsame\r\ntwo\r\n", "<p>\none\nsame\ntwo\n",
                    TTextEncoding::Win1252);
  // Lines are compared without their line ends.
  EXPECT_EQ(dialog.ShownText(), "  <p>\n-   one  \n+ one\n  same\n  two\n  ");
  dialog.ShowChange("a\nb", "<b>x</b>", TTextEncoding::Utf8);
  EXPECT_EQ(dialog.ShownText(), "- a\n- b\n+ <b>x</b>");
}

}  // namespace
}  // namespace quorvane
