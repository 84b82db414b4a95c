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
  // No bytes at all: a break the editor shows to split a long line into blocks of about a
  // kilobyte, which it lays out far faster than one line of megabytes (the editor benchmark
  // compares the sizes). Saving, copying, searching and compressing never see it.
  Soft,
};

struct TDecodedText {
  QString Text;                    // every line break as one "\n"
  std::vector<TLineBreak> Breaks;  // the original bytes of each line break, in order
  TTextEncoding Encoding = TTextEncoding::Utf8;
};

// Converts between a document's bytes and the editor's text.
class TEditorCodec {
 public:
  // Lines longer than this many bytes are shown in blocks of about this size, split after a
  // tag where there is one (a soft break); 0 shows every line whole.
  static constexpr size_t kLongLine = 1024;

  static TTextEncoding EncodingOf(std::string_view bytes);
  static TDecodedText Decode(std::string_view bytes, TTextEncoding encoding,
                             size_t longLine = kLongLine);
  static TDecodedText Decode(std::string_view bytes) { return Decode(bytes, EncodingOf(bytes)); }
  // Where the editor's text `line` (without line breaks) gets soft breaks: the offsets of the
  // characters that begin a new block, ascending.
  static std::vector<qsizetype> SoftBreaks(QStringView line, size_t longLine = kLongLine);

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

// The soft breaks of the editor's text, and the positions with and without them: editor
// positions count each soft break as a character, offsets into the real text do not.
class TSoftBreakMap {
 public:
  TSoftBreakMap() = default;
  // The editor positions of the soft breaks, ascending.
  explicit TSoftBreakMap(std::vector<int> positions);

  bool Empty() const { return positions_.empty(); }
  // The real text's offset of editor position `position`.
  int TextOffset(int position) const;
  // The editor position of the character at `offset` of the real text.
  int EditorPosition(int offset) const;
  // The editor range of `length` characters at `offset` of the real text; it does not take in
  // a soft break after its last character.
  std::pair<int, int> EditorRange(int offset, int length) const;
  // `text` (editor positions from `from`) without its soft breaks.
  QString RealText(QStringView text, int from = 0) const;

 private:
  std::vector<int> positions_;
  std::vector<int> offsets_;  // the real text's offset at each soft break
};

}  // namespace quorvane
