#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One tag around which the compaction removes white space, and how many of its occurrences in
// a segment are treated (0: all).
struct TTagDefinition {
  std::string Name;
  uint32_t MaxCount = 0;

  bool operator==(const TTagDefinition&) const = default;
};

// The built-in tag definition list in its comma form (60 definitions, already sorted).
extern const std::string_view kDefaultTagListText;

// "NAME,COUNT": the line form of one definition.
std::string TagLineText(const TTagDefinition& definition);
// Splits a line at its first comma; a line without a comma is a name with count 0.
TTagDefinition ParseTagLine(std::string_view line);
// The part of a line before its first comma, or the whole line.
std::string_view TagLineName(std::string_view line);
// Reads a count the way stored lists were always read: every character counts as a digit,
// code modulo 256 minus 48, in unsigned 32-bit arithmetic that wraps.
uint32_t ParseTagCount(std::string_view digits);

// The tag definition list: kept sorted by name (ASCII letters without regard to case), names
// unique under that order.
class TTagsCommaList {
 public:
  // Inserts at the sorted place; ignored when the name is present in any letter case.
  void Add(std::string_view name, uint32_t maxCount);
  void Clear() { tags_.clear(); }
  int Count() const { return static_cast<int>(tags_.size()); }
  const std::string& Names(int index) const { return tags_[index].Name; }
  uint32_t MaxCount(int index) const { return tags_[index].MaxCount; }
  const std::vector<TTagDefinition>& Definitions() const { return tags_; }

  std::string CommaText() const;
  void SetCommaText(std::string_view text);

  // Same entries with exactly the same names (letter case included) and counts.
  bool Equals(const TTagsCommaList& other) const { return tags_ == other.tags_; }

  // Replaces the list by the definitions of lines in their line form.
  void Assign(const std::vector<std::string>& lines);
  // Fills `lines` with the line form of every definition, in sorted order.
  void AssignTo(std::vector<std::string>& lines) const;

  static TTagsCommaList Default();

 private:
  std::vector<TTagDefinition> tags_;
};

}  // namespace quorvane
