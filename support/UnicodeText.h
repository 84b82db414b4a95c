#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// UTF-8 sequences, and pages in UTF-16 or UTF-32 that a byte order mark names. The engine works
// on 8-bit text, so such a page is worked on as UTF-8 and encoded back afterwards.
//
// Failure: a decoding that meets a malformed sequence gives no result (std::nullopt, or a
// length of 0 for one UTF-8 sequence); encoding always succeeds.

enum class TUnicodeForm : uint8_t { None, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

// Decodes the UTF-8 sequence at `pos` into `cp`; returns its length, or 0 when it is malformed
// (overlong, a surrogate, past U+10FFFF, cut short).
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp);
void AppendUtf8(std::string& out, char32_t cp);

// The form named by the byte order mark that starts `bytes`; None without one.
TUnicodeForm MarkedUnicodeForm(std::string_view bytes);

// Bytes per code unit: 2 or 4 (1 for None).
size_t CodeUnitSize(TUnicodeForm form);

// The text of `bytes`, which start with the mark of `form`, as UTF-8 without the mark. Nothing
// when they do not decode cleanly: a length that is no whole number of code units, an unpaired
// surrogate, a code point past U+10FFFF, or no such mark (None included).
std::optional<std::string> DecodeUnicode(std::string_view bytes, TUnicodeForm form);

// The mark of `form` followed by `utf8` in that form. A byte that belongs to no well-formed
// UTF-8 sequence (8-bit text that found its way in, such as an included Windows-1252 file) is
// taken as its Windows-1252 character, so nothing is lost. None gives `utf8` as it is.
std::string EncodeUnicode(std::string_view utf8, TUnicodeForm form);

}  // namespace quorvane
