#include <gtest/gtest.h>

#include "Fakes.h"
#include "engine/CompressionPass.h"

namespace quorvane {
namespace {

using testing::TFakeServices;

struct Result {
  std::string text;
  TCompressionStats stats;
  TStopReason stop;
};

Result Compress(TFakeServices& fake, std::string text,
                const TTagsCommaList& tags = TTagsCommaList::Default()) {
  Result r{std::move(text), {}, TStopReason::None};
  r.stop =
      CompressText(r.text, "/site/index.htm", tags, TProtection::Elements, r.stats, fake.services);
  return r;
}

// The share saved rounds halves to the even neighbour: one byte of eight is 12 percent.
TEST(CompressionPass, StatisticsRoundHalvesToEven) {
  TFakeServices fake;
  const Result eight = Compress(fake, "ab  cdef");
  EXPECT_EQ(eight.stats.Percent, 12);
  EXPECT_EQ(eight.stats.Saved, 1);
  EXPECT_TRUE(eight.stats.Modified);
  const Result empty = Compress(fake, "");
  EXPECT_EQ(empty.stats.Percent, 0);
  EXPECT_FALSE(empty.stats.Modified);
}

TEST(CompressionPass, ACancelAtTheFirstLineBreakReportLeavesThemAsTheyAre) {
  TFakeServices fake;
  // A cancel at the line-break step's first report leaves the line breaks as they are; with no
  // tag definitions nothing later notices it.
  TFakeServices cancelled;
  cancelled.progress.cancelAt = 1;
  const Result kept = Compress(cancelled, "<pre>\r\n</pre>a\r\nb\r", TTagsCommaList());
  EXPECT_EQ(kept.stop, TStopReason::None);
  EXPECT_EQ(kept.text, "<pre>\r\n</pre>a\rb");
  const Result turned = Compress(fake, "<pre>\r\n</pre>a\r\nb\r", TTagsCommaList());
  EXPECT_EQ(turned.text, "<pre>\n</pre>a\nb");
}

TEST(CompressionPass, ACancelAtAnyCheckPointLeavesTheTextUntouched) {
  TFakeServices counting;
  counting.files.files["/site/part.htm"] = "<p> part </p>";
  const std::string page =
      "<#quorvane include='part.htm'></#quorvane>\r\n<html> <br /> <!--DEL x DEL-->"
      "<pre>  </pre> <body> <p> text </p> </body>";
  const Result full = Compress(counting, page);
  ASSERT_EQ(full.stop, TStopReason::None);
  const int checkPoints = counting.progress.checkPoints;
  ASSERT_GT(checkPoints, 5);
  for (int k = 0; k < checkPoints; ++k) {
    TFakeServices fake;
    fake.files = counting.files;
    fake.progress.cancelAt = k;
    const Result r = Compress(fake, page);
    EXPECT_EQ(r.stop, TStopReason::Cancelled) << "check point " << k;
    EXPECT_EQ(r.text, page) << "check point " << k;
  }
}

}  // namespace
}  // namespace quorvane
