#include "engine/PieceText.h"

#include <gtest/gtest.h>

#include <deque>

namespace quorvane {
namespace {

TEST(PieceText, EditsAndSearchesAsAStringWould) {
  std::deque<std::string> store;
  uint32_t seed = 7;
  auto next = [&seed](size_t n) {
    seed = seed * 1103515245 + 12345;
    return static_cast<size_t>((seed >> 8) % n);
  };
  auto bytes = [&](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
      s += "ab#=<"[next(5)];
    }
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    store.push_back(bytes(1 + next(40)));
    std::string plain = store.back();
    TPieceText text(store.back());
    for (int edit = 0; edit < 40; ++edit) {
      const size_t from = next(plain.size() + 1);
      const size_t to = from + next(plain.size() - from + 1);
      store.push_back(bytes(next(12)));
      TPieceText with(store.back());
      if (next(3) == 0) {  // a text of several pieces goes in whole
        store.push_back(bytes(1 + next(5)));
        with.Replace(0, 0, TPieceText(store.back()));
      }
      std::string withPlain;
      with.AppendTo(withPlain);
      plain.replace(from, to - from, withPlain);
      text.Replace(from, to, std::move(with));
      ASSERT_EQ(text.Size(), plain.size());
      const size_t at = next(plain.size() + 1);
      ASSERT_EQ(text.FindHash(at), plain.find('#', at));
      ASSERT_EQ(text.Find('=', at), plain.find('=', at));
      if (at < plain.size()) {
        ASSERT_EQ(text.At(at), plain[at]);
        ASSERT_EQ(text.Copy(at, plain.size() - at), plain.substr(at));
        ASSERT_TRUE(text.Holds(at, plain.substr(at, 3)));
      }
    }
    std::string whole;
    text.AppendTo(whole);
    ASSERT_EQ(whole, plain);
  }
}

}  // namespace
}  // namespace quorvane
