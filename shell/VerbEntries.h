#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One verb as the applications directory holds it.
struct TVerbEntry {
  std::string Class;    // the document type (MIME type)
  std::string Command;  // the Exec value, unescaped
};

// The program's file manager verbs: one desktop entry per document type in the user's
// applications directory, "quorvane-" + the program's GUID + "-" + the MIME type with "/" as
// "-" + ".desktop". Every copy of the program shares these names, as it shares the verb name.
// Operations that change a file return 0 or the errno of the failure.
class TVerbEntries {
 public:
  // $XDG_DATA_HOME/applications, or ~/.local/share/applications.
  TVerbEntries();
  explicit TVerbEntries(std::string directory);

  static std::string DefaultDirectory();
  const std::string& Directory() const { return directory_; }

  // A MIME type "type/subtype" made of the characters such names allow; other names (an empty
  // one, for instance) would give no sensible file name and are never written.
  static bool IsValidClass(std::string_view mimeType);
  static std::string FileNameOf(std::string_view mimeType);
  std::string PathOf(std::string_view mimeType) const;

  bool Exists(std::string_view mimeType) const;
  // Sets the entry's caption; a new entry gets no command yet, an existing one keeps its own.
  int WriteCaption(std::string_view mimeType, const std::string& caption);
  // Sets the entry's command, keeping its caption.
  int WriteCommand(std::string_view mimeType, const std::string& command);
  int Remove(std::string_view mimeType);

  // Every entry of this program's naming that names a document type, in no particular order.
  std::vector<TVerbEntry> List() const;

  // Refreshes the directory's MIME type cache when update-desktop-database is installed.
  void UpdateDatabase() const;

 private:
  struct TFields {
    std::string Caption;  // Windows-1252, as the program's texts
    std::string Command;
  };

  TFields Load(std::string_view mimeType) const;
  int Store(std::string_view mimeType, const TFields& fields);

  std::string directory_;
};

}  // namespace quorvane
