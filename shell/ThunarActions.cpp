#include "shell/ThunarActions.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/FileContent.h"
#include "shell/FileTypes.h"
#include "shell/ShellWords.h"

namespace quorvane {
namespace {

constexpr std::string_view kEmptyList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";

// One element of the file, by byte positions.
struct TElement {
  std::string Name;
  size_t Begin = 0;         // at its "<"
  size_t ContentBegin = 0;  // after its start tag
  size_t ContentEnd = 0;    // at its end tag
  size_t End = 0;           // after its end tag
  size_t Depth = 0;
  bool Localised = false;  // it has an xml:lang attribute
};

bool IsNameEnd(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// The end of the markup that starts at `i` with `open`, after its `close`; npos when it has none.
size_t SkipPast(std::string_view text, size_t i, std::string_view open, std::string_view close) {
  const size_t end = text.find(close, i + open.size());
  return end == std::string_view::npos ? end : end + close.size();
}

// The position after the ">" of the tag that starts at `i`, quoted attribute values skipped.
size_t EndOfTag(std::string_view text, size_t i) {
  char quote = 0;
  for (; i < text.size(); ++i) {
    if (quote != 0) {
      quote = text[i] == quote ? 0 : quote;
    } else if (text[i] == '"' || text[i] == '\'') {
      quote = text[i];
    } else if (text[i] == '>') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// Every element of the document in the order of their start tags; nothing when the markup is
// not well nested.
std::optional<std::vector<TElement>> ScanElements(std::string_view text) {
  std::vector<TElement> elements;
  std::vector<size_t> open;
  size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    const std::string_view rest = text.substr(i);
    size_t next;
    if (rest.starts_with("<!--")) {
      next = SkipPast(text, i, "<!--", "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      next = SkipPast(text, i, "<![CDATA[", "]]>");
    } else if (rest.starts_with("<?")) {
      next = SkipPast(text, i, "<?", "?>");
    } else if (rest.starts_with("<!")) {
      next = SkipPast(text, i, "<!", ">");
    } else {
      const bool closing = rest.starts_with("</");
      size_t nameEnd = i + (closing ? 2 : 1);
      while (nameEnd < text.size() && !IsNameEnd(text[nameEnd])) {
        ++nameEnd;
      }
      const std::string name(text.substr(i + (closing ? 2 : 1), nameEnd - i - (closing ? 2 : 1)));
      next = EndOfTag(text, nameEnd);
      if (next == std::string_view::npos || name.empty()) {
        return std::nullopt;
      }
      if (closing) {
        if (open.empty() || elements[open.back()].Name != name) {
          return std::nullopt;
        }
        elements[open.back()].ContentEnd = i;
        elements[open.back()].End = next;
        open.pop_back();
      } else {
        TElement element;
        element.Name = name;
        element.Begin = i;
        element.ContentBegin = next;
        element.Depth = open.size();
        element.Localised =
            text.substr(nameEnd, next - nameEnd).find("xml:lang") != std::string_view::npos;
        if (text[next - 2] == '/') {
          element.ContentEnd = element.End = next;
        } else {
          open.push_back(elements.size());
        }
        elements.push_back(std::move(element));
      }
    }
    if (next == std::string_view::npos) {
      return std::nullopt;
    }
    i = next;
  }
  if (!open.empty()) {
    return std::nullopt;
  }
  return elements;
}

void AppendUtf8(std::string& text, unsigned long code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x110000) {
    text += static_cast<char>(0xF0 | (code >> 18));
    text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character of an entity reference ("amp", "#38", "#x26"); false for an unknown one.
bool DecodeEntity(std::string_view entity, std::string& text) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [name, c] : kNamed) {
    if (entity == name) {
      text += c;
      return true;
    }
  }
  if (entity.size() < 2 || entity[0] != '#') {
    return false;
  }
  const bool hex = entity[1] == 'x';
  const std::string digits(entity.substr(hex ? 2 : 1));
  char* end = nullptr;
  const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
  if (digits.empty() || *end != '\0') {
    return false;
  }
  AppendUtf8(text, code);
  return true;
}

// The character data of an element that holds only text.
std::string TextOf(std::string_view content) {
  std::string text;
  for (size_t i = 0; i < content.size(); ++i) {
    const std::string_view rest = content.substr(i);
    if (rest.starts_with("<![CDATA[")) {
      const size_t end = content.find("]]>", i);
      text += content.substr(i + 9, end - i - 9);
      i = end + 2;
    } else if (rest.starts_with("<!--")) {
      i = content.find("-->", i) + 2;
    } else if (content[i] == '&' && rest.find(';') != std::string_view::npos &&
               DecodeEntity(rest.substr(1, rest.find(';') - 1), text)) {
      i += rest.find(';');
    } else {
      text += content[i];
    }
  }
  return text;
}

std::string EscapeText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// The file's layout: the <actions> root (the first element) and the program's <action> in it.
struct TLayout {
  std::vector<TElement> Elements;
  size_t OwnIndex = std::string::npos;

  const TElement& Root() const { return Elements.front(); }
  const TElement* Own() const {
    return OwnIndex == std::string::npos ? nullptr : &Elements[OwnIndex];
  }

  // The text of the first child `name` of `action` that is not a translation.
  std::string ChildText(std::string_view text, const TElement& action,
                        std::string_view name) const {
    for (const TElement& child : Elements) {
      if (child.Depth == action.Depth + 1 && child.Begin > action.Begin &&
          child.End <= action.End && child.Name == name && !child.Localised) {
        return TextOf(text.substr(child.ContentBegin, child.ContentEnd - child.ContentBegin));
      }
    }
    return {};
  }
};

std::optional<TLayout> ReadLayout(std::string_view text) {
  TLayout layout;
  std::optional<std::vector<TElement>> elements = ScanElements(text);
  if (!elements || elements->empty() || elements->front().Name != "actions" ||
      elements->front().ContentEnd == elements->front().End) {
    return std::nullopt;
  }
  layout.Elements = std::move(*elements);
  for (size_t i = 0; i < layout.Elements.size(); ++i) {
    const TElement& element = layout.Elements[i];
    if (element.Depth == 1 && element.Name == "action" &&
        layout.ChildText(text, element, "unique-id") == ActionName()) {
      layout.OwnIndex = i;
      break;
    }
  }
  return layout;
}

std::string PatternsValue(const TClassList& classes) {
  std::string patterns;
  for (const std::string& extension : PatternExtensions(classes)) {
    std::string upper = extension;
    for (char& c : upper) {
      c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    patterns += (patterns.empty() ? "*." : ";*.") + extension;
    if (upper != extension) {
      patterns += ";*." + upper;
    }
  }
  return patterns;
}

TClassList ClassesOfPatterns(std::string_view patterns) {
  std::vector<std::string> extensions;
  while (!patterns.empty()) {
    const size_t semicolon = patterns.find(';');
    if (const std::string_view pattern = patterns.substr(0, semicolon); pattern.starts_with("*.")) {
      extensions.emplace_back(pattern.substr(1));
    }
    patterns =
        semicolon == std::string_view::npos ? std::string_view() : patterns.substr(semicolon + 1);
  }
  TClassList classes = ClassesOfExtensions(extensions);
  SortClassNames(classes);
  return classes;
}

std::string ActionText(const TVerbAction& action) {
  return "<action>\n\t<icon>quorvane</icon>\n\t<name>" +
         EscapeText(CaptionFileText(action.Caption)) + "</name>\n\t<unique-id>" + ActionName() +
         "</unique-id>\n\t<command>" + EscapeText(TThunarActions::CommandLine(action.Program)) +
         "</command>\n\t<patterns>" + PatternsValue(action.Classes) +
         "</patterns>\n\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n"
         "\t<video-files/>\n</action>";
}

// The start of the line of `position` when only blanks stand before it there, else npos.
size_t BlankLineStart(std::string_view text, size_t position) {
  size_t start = position;
  while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t')) {
    --start;
  }
  return start == 0 || text[start - 1] == '\n' ? start : std::string_view::npos;
}

// The end of the line of `position`, after its line feed, when only blanks follow there.
size_t BlankLineEnd(std::string_view text, size_t position) {
  size_t end = position;
  while (end < text.size() && (text[end] == ' ' || text[end] == '\t' || text[end] == '\r')) {
    ++end;
  }
  if (end == text.size()) {
    return end;
  }
  return text[end] == '\n' ? end + 1 : std::string_view::npos;
}

int ErrnoOf(TFileError error) {
  switch (error) {
    case TFileError::None:
      return 0;
    case TFileError::NotFound:
      return ENOENT;
    case TFileError::AccessDenied:
      return EACCES;
    case TFileError::NotRegular:
      return EISDIR;
    case TFileError::TooLarge:
      return EFBIG;
    case TFileError::Changed:
    case TFileError::NoJournal:
    case TFileError::Other:
      break;
  }
  return EIO;
}

// A file without our action is never touched, however it is written.
bool MayHoldOwnAction(std::string_view text) {
  return text.find(ActionName()) != std::string_view::npos;
}

}  // namespace

TThunarActions::TThunarActions(const TActionDirectories& directories)
    : configHome_(directories.ConfigHome),
      configDirs_(directories.ConfigDirs),
      path_(configHome_ + "/Thunar/uca.xml") {}

std::string TThunarActions::CommandLine(std::string_view program) {
  return DoublePercents(QuoteShellWord(program)) + std::string(kActionSwitches) + "%F";
}

std::string TThunarActions::DefaultContent() const {
  for (const std::string& directory : configDirs_) {
    std::string content;
    if (ReadWholeFile(directory + "/Thunar/uca.xml", content).Error == TFileError::None &&
        ReadLayout(content)) {
      return content;
    }
  }
  return std::string(kEmptyList);
}

std::optional<TVerbAction> TThunarActions::Find() const {
  std::string text;
  if (ReadWholeFile(path_, text).Error != TFileError::None || !MayHoldOwnAction(text)) {
    return std::nullopt;
  }
  const std::optional<TLayout> layout = ReadLayout(text);
  const TElement* own = layout ? layout->Own() : nullptr;
  if (own == nullptr) {
    return std::nullopt;
  }
  std::string command;
  const std::string written = layout->ChildText(text, *own, "command");
  for (size_t i = 0; i < written.size(); ++i) {
    command += written[i];
    i += written[i] == '%' && i + 1 < written.size() && written[i + 1] == '%' ? 1 : 0;
  }
  const auto words = SplitShellWords(command);
  return TVerbAction{CaptionOfFileText(layout->ChildText(text, *own, "name")),
                     words && !words->empty() ? words->front() : std::string(),
                     ClassesOfPatterns(layout->ChildText(text, *own, "patterns"))};
}

TActionResult TThunarActions::Write(const TVerbAction& action) {
  std::string text;
  const TReadResult read = ReadWholeFile(path_, text);
  if (read.Error == TFileError::NotFound) {
    text = DefaultContent();
  } else if (read.Error != TFileError::None) {
    return {read.Errno != 0 ? read.Errno : ErrnoOf(read.Error), path_};
  }
  const std::optional<TLayout> layout = ReadLayout(text);
  if (!layout) {
    return {EBADMSG, path_};  // a file it cannot read is never rewritten
  }
  const std::string ownText = ActionText(action);
  if (const TElement* own = layout->Own(); own != nullptr) {
    text.replace(own->Begin, own->End - own->Begin, ownText);
  } else if (const size_t start = BlankLineStart(text, layout->Root().ContentEnd);
             start != std::string::npos) {
    text.insert(start, ownText + "\n");
  } else {
    text.insert(layout->Root().ContentEnd, ownText);
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
  if (error) {
    return {error.value(), path_};
  }
  return {ErrnoOf(WriteFileReplacing(path_, text, {.Flush = true})), path_};
}

TActionResult TThunarActions::Remove(const std::string& program) {
  std::string text;
  if (ReadWholeFile(path_, text).Error != TFileError::None || !MayHoldOwnAction(text)) {
    return {};
  }
  const std::optional<TLayout> layout = ReadLayout(text);
  if (!layout) {
    return {EBADMSG, path_};
  }
  const std::optional<TVerbAction> action = Find();
  const TElement* own = layout->Own();
  if (own == nullptr || !action || action->Program != program) {
    return {};
  }
  size_t begin = BlankLineStart(text, own->Begin);
  size_t end = BlankLineEnd(text, own->End);
  if (begin == std::string::npos || end == std::string::npos) {
    begin = own->Begin;
    end = own->End;
  }
  text.erase(begin, end - begin);
  // A file that now says no more than the defaults goes, as it came: the defaults apply
  // without it. A link to a file kept elsewhere stays a link.
  struct stat st;
  if (text == DefaultContent() && ::lstat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    return {RemoveFileAndEmptyDirectories(path_, configHome_), path_};
  }
  return {ErrnoOf(WriteFileReplacing(path_, text, {.Flush = true})), path_};
}

}  // namespace quorvane
