#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Language and country files: Windows-1252 text, read as bytes, lines ending in LF or CR LF.
// A line holds "key = value"; "#" outside double quotes starts a comment.

// Splits one line (without its line end) into key and value. False for comments, empty lines
// and lines without a usable key. The key has blanks and tabs removed at both ends; the value
// is the text after the first "=" as it stands, except that a value enclosed in double quotes
// or apostrophes (ignoring blanks and tabs around it) loses them.
bool ParseLanguageLine(std::string_view line, std::string& key, std::string& value);

// Decodes a text value: backslash escapes first, then the entities &auml; &Auml; &uuml; &Uuml;
// &ouml; &Ouml; &szlig; and, last, &amp;.
std::string DecodeLanguageValue(std::string_view raw);

// The text identifier a key names: 1 to 8 hexadecimal digits.
std::optional<uint32_t> ParseTextId(std::string_view key);

// Calls `visit` with the key and raw value of each entry of the file, in file order, until it
// returns false. Returns 0, or an errno code when the file cannot be opened or read (2 for an
// empty name or a missing file). Only regular files are opened.
int ForEachLanguageEntry(
    const std::string& fileName,
    const std::function<bool(const std::string& key, const std::string& value)>& visit);

// The raw value of the first entry whose key equals `key` without regard to case; nothing when
// there is none or the file cannot be read.
std::optional<std::string> FindLanguageValue(const std::string& fileName, std::string_view key);

// FindLanguageValue, with an empty text for an absent key or an unreadable file.
std::string ReadLanguageValue(const std::string& fileName, std::string_view key);

}  // namespace quorvane
