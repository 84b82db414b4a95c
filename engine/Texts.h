#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/TextFormat.h"

namespace quorvane {

// Looks up user-visible texts by identifier.
class ITextSource {
 public:
  virtual ~ITextSource() = default;
  // The text, else `fallback` when it is not empty, else "String XXXXXXXX not found".
  virtual std::string GetText(uint32_t id, std::string_view fallback = {}) = 0;
};

// Knows no texts: gives the fallback or the not-found text.
class TBuiltinTexts : public ITextSource {
 public:
  std::string GetText(uint32_t id, std::string_view fallback = {}) override {
    return fallback.empty() ? MissingText(id) : std::string(fallback);
  }
};

}  // namespace quorvane
