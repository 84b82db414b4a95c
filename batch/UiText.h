#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace quorvane {

// The program's texts are Windows-1252 bytes and file names the file system's bytes; what the
// user sees is Unicode.
QString UiText(const std::string& text);
// A text typed into a widget, as the program's Windows-1252 bytes (characters outside it
// become "?").
std::string ProgramText(const QString& text);
// The language text `textId`, as Unicode.
QString UiText(uint32_t textId);

// A file path (the system's bytes) as Unicode, and back.
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
