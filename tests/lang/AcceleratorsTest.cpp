#include <gtest/gtest.h>

#include "lang/Accelerators.h"

namespace quorvane {
namespace {

using TCaptions = std::vector<std::string>;

TCaptions Assigned(TCaptions captions) {
  AssignAccelerators(captions);
  return captions;
}

TEST(Accelerators, PreferFirstCharacterThenWordStartsThenAnyLater) {
  EXPECT_EQ(Assigned({"Neu", "Nein", "\326ffnen Datei"}),
            (TCaptions{"&Neu", "N&ein", "\326ffnen &Datei"}));
  EXPECT_EQ(Assigned({"save", "Save as", "Search", "ss"}),
            (TCaptions{"&save", "Save &as", "S&earch", "ss"}));
  EXPECT_EQ(Assigned({"1 x", "x 1", "-"}), (TCaptions{"&1 x", "&x 1", "-"}));
}

TEST(Accelerators, ReplaceOldMarksAndKeepLiteralAmpersands) {
  EXPECT_EQ(Assigned({"&Open", "O&ptions", "Tom && Jerry", "&&&x"}),
            (TCaptions{"&Open", "O&ptions", "&Tom && Jerry", "&&&x"}));
  EXPECT_EQ(Assigned({"x", "&&"}), (TCaptions{"&x", "&&"}));
  EXPECT_EQ(Assigned({"", "a&"}), (TCaptions{"", "&a"}));
}

}  // namespace
}  // namespace quorvane
