#include "PageGenerator.h"

#include <cstdio>
#include <random>
#include <vector>

namespace quorvane::bench {

namespace {

class TPageWriter {
 public:
  explicit TPageWriter(uint32_t seed) : random_(seed) {}

  // Blocks of a page's body, about `targetSize` bytes.
  std::string Fragment(size_t targetSize) {
    while (out_.size() < targetSize) {
      Block();
    }
    out_.resize(targetSize);
    return std::move(out_);
  }

  std::string Page(size_t targetSize) {
    Line(0, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    Line(0, "<html>");
    Line(0, "<head>");
    Line(1, "<title> " + Words(4) + " </title>");
    Line(1, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\" />");
    Line(1, "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\" />");
    Line(1, "<style type=\"text/css\">");
    Line(2, "body { margin: 0;   padding: 0; }");
    Line(2, "td.menu  { font-size: 10pt; }");
    Line(1, "</style>");
    Line(0, "</head>");
    Line(0, "<body bgcolor=\"#FFFFFF\">");
    while (out_.size() + 64 < targetSize) {
      Block();
    }
    Line(0, "</body>");
    Line(0, "</html>");
    // Some pages end in the middle of an element, as cut-off downloads do.
    if (Pick(8) == 0) {
      Line(0, Pick(2) == 0 ? "<PRE class=\"tail\">" : "<textarea rows=\"4\">");
      Line(2, "  cut  off  " + Words(3));
    }
    return std::move(out_);
  }

 private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  void Line(int indent, const std::string& text) {
    out_.append(static_cast<size_t>(indent) * 2, ' ');
    out_ += text;
    out_ += "\r\n";
  }

  std::string Words(size_t count) {
    static const std::vector<std::string> words = {"the",
                                                   "compressor",
                                                   "page",
                                                   "Quorvane",
                                                   "smaller",
                                                   "files",
                                                   "browser",
                                                   "shows",
                                                   "same",
                                                   "content",
                                                   "with",
                                                   "fewer",
                                                   "bytes",
                                                   "and",
                                                   "white",
                                                   "space",
                                                   "removed",
                                                   "Stra\xDF"
                                                   "e",
                                                   "M\xFC"
                                                   "nchen",
                                                   "caf\xE9",
                                                   "of",
                                                   "in",
                                                   "a",
                                                   "to",
                                                   "is"};
    std::string text;
    for (size_t i = 0; i < count; ++i) {
      if (i > 0) {
        text += Pick(12) == 0 ? "  " : " ";
      }
      text += words[Pick(words.size())];
    }
    return text;
  }

  std::string Inline() {
    switch (Pick(6)) {
      case 0:
        return "<b>" + Words(2) + "</b>";
      case 1:
        return "<a href=\"page" + std::to_string(Pick(100)) + ".htm\">" + Words(2) + "</a>";
      case 2:
        return "<i>" + Words(1) + " </i>";
      case 3:
        return "<br />";
      case 4:
        return "<img src=\"img/p" + std::to_string(Pick(50)) + ".gif\" alt=\"\" width=\"16\" />";
      default:
        return "<span class=\"note\">" + Words(3) + "</span>";
    }
  }

  std::string Paragraph() { return Words(6 + Pick(10)) + " " + Inline() + " " + Words(5); }

  void Block() {
    switch (Pick(10)) {
      case 0:
      case 1:
        Line(1, "<p>");
        Line(2, Paragraph());
        Line(2, Paragraph());
        Line(1, "</p>");
        break;
      case 2: {
        Line(1, "<table border=\"0\" cellpadding=\"2\" cellspacing=\"0\" width=\"100%\">");
        const size_t rows = 2 + Pick(6);
        for (size_t r = 0; r < rows; ++r) {
          Line(2, "<tr>");
          Line(3, "<td class=\"menu\" valign=\"top\"> " + Words(2) + " </td>");
          Line(3, "<td> " + Inline() + " </td>");
          Line(2, "</tr>");
        }
        Line(1, "</table>");
        break;
      }
      case 3:
        Line(1, "<ul>");
        for (size_t i = 0; i < 3 + Pick(5); ++i) {
          Line(2, "<li> " + Inline() + " </li>");
        }
        Line(1, "</ul>");
        break;
      case 4:
        Line(1, "<h2>  " + Words(3) + "  </h2>");
        break;
      case 5:
        Line(1, "<!-- " + Words(4) + " -->");
        Line(1, "<div class=\"box\">");
        Line(2, Paragraph());
        Line(1, "</div>");
        break;
      case 6:
        Line(1, "<form action=\"search.cgi\" method=\"get\">");
        Line(2, "<input type=\"text\" name=\"q\" size=\"20\" />");
        Line(2, "<select name=\"s\">");
        Line(3, "<option value=\"1\"> " + Words(1) + " </option>");
        Line(3, "<option value=\"2\"> " + Words(1) + " </option>");
        Line(2, "</select>");
        Line(1, "</form>");
        break;
      case 7:
        switch (Pick(4)) {
          case 0:
            Line(1, "<pre>");
            Line(0, "  int main()   {  return 0;  }");
            Line(1, "</pre>");
            break;
          case 1:
            Line(1, "<pre class=\"code python\"><span class=\"k\">def</span> f(x):");
            Line(0, "    if x  >  1:");
            Line(0, "        return  x * f(x - 1)");
            Line(0, "    return 1</PRE >");
            break;
          case 2:
            Line(1, "<TEXTAREA name=\"note\" rows=\"3\">");
            Line(0, "  <b>  " + Words(3) + "  </b>");
            Line(1, "</textarea>");
            break;
          default:
            Line(1, "<!--DEL draft: " + Words(5) + " DEL-->");
            break;
        }
        break;
      case 8:
        Line(1, Pick(3) == 0 ? "<SCRIPT type=\"text/template\">"
                             : "<script type=\"text/javascript\">");
        Line(2, "var n = " + std::to_string(Pick(1000)) + ";");
        Line(2, "if (n > 10) {  document.write('<p>  " + Words(2) + "</p>');  }");
        Line(1, Pick(2) == 0 ? "</script >" : "</Script>");
        break;
      default:
        Line(1, "<blockquote>" + Paragraph() + "</blockquote>");
        break;
    }
  }

  std::mt19937 random_;
  std::string out_;
};

}  // namespace

std::vector<std::pair<std::string, std::string>> IncludeTree() {
  constexpr int kFiles = 12;
  auto name = [](int i) {
    char text[16];
    std::snprintf(text, sizeof text, "f%02d.htm", i);
    return std::string(text);
  };
  TPageWriter writer(1);
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 1; i < kFiles; ++i) {
    std::string text;
    if (i <= 6) {
      for (int k = 0; k < 6; ++k) {
        text += "<#quorvane include=\"" + name(kFiles) + "\">";
      }
      for (int k = 0; k < 6; ++k) {
        text += "</#quorvane>";
      }
      text += "\r\n";
    }
    for (int k = 0; k < 3; ++k) {
      text += "<#quorvane include=\"" + name(i + 1) + "\">\r\n  <p>old " + name(i + 1) +
              ", replaced by the include when the page is compressed.</p>\r\n  <p>The old "
              "text stays in the source for the authors.</p>\r\n  <p>-- the web team of the "
              "site, 2026.</p>\r\n</#quorvane>\r\n";
    }
    files.emplace_back(name(i), text);
  }
  files.emplace_back(name(kFiles), writer.Fragment(1124));
  return files;
}

std::string GeneratePage(size_t targetSize, uint32_t seed) {
  std::string page = TPageWriter(seed).Page(targetSize);
  page.shrink_to_fit();
  return page;
}

}  // namespace quorvane::bench
