#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace quorvane {

// A file path (the system's bytes) for a widget, and back.
QString PathText(const std::string& path);
std::string FilePath(const QString& path);
// A file path as a message shows it: its control characters escaped ("\r", "\033").
QString ShownPathText(const std::string& path);

// The language text `id`, capitalised, with `suffix` appended.
QString CapUiText(uint32_t id, const char* suffix = "");

// The language text `id` with every "%s" replaced by `parameter`, then capitalised.
QString FormattedUiText(uint32_t id, const QString& parameter);

// What a compression did to a text of `before` bytes that came out with `after`:
// "10,000 → 8,000 bytes, 20 % saved" in the language of the texts.
QString CompressionSummary(size_t before, size_t after);

}  // namespace quorvane
