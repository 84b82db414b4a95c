#pragma once

#include <string>
#include <vector>

namespace quorvane {

// The verb entries of earlier versions: desktop entries in the user's applications directory,
// "quorvane-" + the GUID + "-" + the type + ".desktop", which made the verb an "Open with"
// application. They are only ever removed.
class TOldVerbEntries {
 public:
  struct TEntry {
    std::string Path;
    std::string Program;  // the program file its Exec runs
  };

  explicit TOldVerbEntries(std::string dataHome);

  std::vector<TEntry> List() const;
  // Refreshes the directory's MIME type cache when update-desktop-database is installed.
  void UpdateDatabase() const;

 private:
  std::string directory_;
};

}  // namespace quorvane
