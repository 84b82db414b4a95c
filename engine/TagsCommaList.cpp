#include "engine/TagsCommaList.h"

#include <algorithm>

#include "support/CommaText.h"
#include "support/Win1252.h"

namespace quorvane {

const std::string_view kDefaultTagListText =
    "!,0,APPLET,0,AREA,0,BASE,1,BASEFONT,1,BLOCKQUOTE,0,BODY,1,BR,0,BUTTON,0,CAPTION,0,CENTER,0,"
    "COL,0,COLGROUP,0,DD,0,DIR,0,DIV,0,DL,0,DT,0,FIELDSET,0,FORM,0,FRAME,0,FRAMESET,0,H1,0,H2,0,"
    "H3,0,H4,0,H5,0,H6,0,H7,0,H8,0,H9,0,HEAD,1,HR,0,HTML,1,IFRAME,0,LEGEND,0,LI,0,LINK,0,MAP,0,"
    "MENU,0,META,0,NOFRAMES,1,NOSCRIPT,0,OL,0,OPTGROUP,0,OPTION,0,P,0,PARAM,0,SCRIPT,0,SELECT,0,"
    "STYLE,0,TABLE,0,TBODY,0,TD,0,TFOOT,0,TH,0,THEAD,0,TITLE,1,TR,0,UL,0";

std::string TagLineText(const TTagDefinition& definition) {
  return definition.Name + ',' + std::to_string(definition.MaxCount);
}

TTagDefinition ParseTagLine(std::string_view line) {
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) {
    return {std::string(line), 0};
  }
  return {std::string(line.substr(0, comma)), ParseTagCount(line.substr(comma + 1))};
}

std::string_view TagLineName(std::string_view line) {
  return line.substr(0, line.find(','));
}

uint32_t ParseTagCount(std::string_view digits) {
  uint32_t value = 0;
  for (const char c : digits) {
    value = value * 10u + (static_cast<uint32_t>(static_cast<unsigned char>(c)) - 48u);
  }
  return value;
}

void TTagsCommaList::Add(std::string_view name, uint32_t maxCount) {
  const auto at = std::lower_bound(tags_.begin(), tags_.end(), name,
                                   [](const TTagDefinition& d, std::string_view n) {
                                     return CompareAsciiNoCase(d.Name, n) < 0;
                                   });
  if (at != tags_.end() && CompareAsciiNoCase(at->Name, name) == 0) {
    return;
  }
  tags_.insert(at, TTagDefinition{std::string(name), maxCount});
}

std::string TTagsCommaList::CommaText() const {
  std::string text;
  for (const TTagDefinition& d : tags_) {
    if (!text.empty()) {
      text += ',';
    }
    text += TagLineText(d);
  }
  return text;
}

void TTagsCommaList::SetCommaText(std::string_view text) {
  Clear();
  const std::vector<std::string> items = SplitCommaText(text);
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    Add(items[i], ParseTagCount(items[i + 1]));
  }
}

void TTagsCommaList::Assign(const std::vector<std::string>& lines) {
  Clear();
  for (const std::string& line : lines) {
    const TTagDefinition d = ParseTagLine(line);
    Add(d.Name, d.MaxCount);
  }
}

void TTagsCommaList::AssignTo(std::vector<std::string>& lines) const {
  lines.clear();
  for (const TTagDefinition& d : tags_) {
    lines.push_back(TagLineText(d));
  }
}

TTagsCommaList TTagsCommaList::Default() {
  TTagsCommaList list;
  list.SetCommaText(kDefaultTagListText);
  return list;
}

}  // namespace quorvane
