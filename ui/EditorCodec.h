#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// How a document's bytes are shown: a page with a UTF-16 or UTF-32 byte order mark that
// decodes cleanly in that form, well-formed UTF-8 as UTF-8, anything else as Windows-1252 (so
// that every byte string can be shown and written back unchanged).
enum class TTextEncoding : uint8_t { Utf8, Win1252, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

// The bytes that ended one line. The editor keeps lines apart and forgets these bytes, so they
// are remembered per line to write the document back exactly as it was read.
enum class TLineBreak : uint8_t {
  CrLf,
  Lf,
  Cr,
  // Characters that the editor also takes as line ends (documents in UTF-8, -16 or -32 only).
  ParagraphSeparator,  // U+2029
  FrameStart,          // U+FDD0
  FrameEnd,            // U+FDD1
};

struct TDecodedText {
  QString Text;                    // every line break as one "\n"
  std::vector<TLineBreak> Breaks;  // the original bytes of each line break, in order
  TTextEncoding Encoding = TTextEncoding::Utf8;
};

// Converts between a document's bytes and the editor's text.
class TEditorCodec {
 public:
  static TTextEncoding EncodingOf(std::string_view bytes);
  static TDecodedText Decode(std::string_view bytes, TTextEncoding encoding);
  static TDecodedText Decode(std::string_view bytes) { return Decode(bytes, EncodingOf(bytes)); }

  // Appends `text` (which holds no line breaks but the editor's own separators U+2029) in
  // `encoding`; each separator takes the next entry of `breaks` (or `defaultBreak` when they run
  // out). A character that Windows-1252 cannot hold becomes an HTML character reference, so
  // nothing typed or pasted is lost.
  static void Encode(QStringView text, const std::vector<TLineBreak>& breaks,
                     TLineBreak defaultBreak, TTextEncoding encoding, std::string& out);

  // One byte per editor position, for the program's byte-wise search: the Windows-1252 byte of
  // a character, "\n" for a line end, and kNoSearchByte for a character that Windows-1252
  // cannot hold.
  static std::string SearchBytes(QStringView text);
  static constexpr char kNoSearchByte = '\x1A';

  static const char* BreakBytes(TLineBreak lineBreak, TTextEncoding encoding);
};

}  // namespace quorvane
