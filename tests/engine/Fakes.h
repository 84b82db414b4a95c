#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/Services.h"

namespace quorvane::testing {

// Counts the engine's reports and polls, and cancels from a chosen one on.
class TRecordingProgress : public TNullProgress {
 public:
  int checkPoints = 0;  // reports and polls that could cancel
  int cancelAt = -1;    // the check point (0-based) from which on a cancel is requested

  bool SetSubProgress(int8_t) override { return Check(); }
  bool CancelRequested() override { return Check(); }

 private:
  bool Check() {
    const int point = checkPoints++;
    return cancelAt >= 0 && point >= cancelAt;
  }
};

// Texts by identifier from a table; others fall back like the built-in lookup.
class TTableTexts : public ITextSource {
 public:
  std::map<uint32_t, std::string> table;
  std::string GetText(uint32_t id, std::string_view fallback = {}) override {
    if (auto it = table.find(id); it != table.end()) {
      return it->second;
    }
    return TBuiltinTexts().GetText(id, fallback);
  }
};

// Include files held in memory, by the path the engine asks for.
class TMemoryIncludes : public IIncludeFiles {
 public:
  std::map<std::string, std::string> files;
  std::vector<std::string> requested;
  TResult Load(const std::string& path, size_t maxSize, std::string& content) override {
    requested.push_back(path);
    content.clear();
    auto it = files.find(path);
    if (it == files.end()) {
      return TResult::Missing;
    }
    if (it->second.size() > maxSize) {
      return TResult::TooLarge;
    }
    content = it->second;
    return TResult::Loaded;
  }
};

struct TFakeServices {
  TRecordingProgress progress;
  TTableTexts texts;
  TMemoryIncludes files;
  TEngineServices services{progress, texts, files};
};

}  // namespace quorvane::testing
