#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/TestSupport.h"

namespace quorvane::test {

namespace fs = std::filesystem;

inline constexpr char kActionName[] = "quorvane-00000701-75e7-11d7-0266-00a024502a20";

// The file of each file manager's action below a data and a configuration directory.
struct TActionFiles {
  fs::path Data;
  fs::path Config;
  fs::path ServiceMenu() const {
    return Data / "kio/servicemenus" / (std::string(kActionName) + ".desktop");
  }
  fs::path Script(const std::string& caption = "Compress (Quorvane 1.7)") const {
    return Data / "nautilus/scripts" / caption;
  }
  fs::path NemoAction() const {
    return Data / "nemo/actions" / (std::string(kActionName) + ".nemo_action");
  }
  fs::path Thunar() const { return Config / "Thunar/uca.xml"; }
};

struct TMimeType {
  const char* Type;
  const char* Comment;
  std::vector<const char*> Globs;
  const char* SubClassOf = nullptr;
};

// A MIME package of the given types below `dataHome`.
inline void WriteMimePackage(const fs::path& dataHome, const std::vector<TMimeType>& types) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<mime-info xmlns="
      "\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const TMimeType& type : types) {
    xml += std::string("<mime-type type=\"") + type.Type + "\"><comment>" + type.Comment +
           "</comment>";
    if (type.SubClassOf != nullptr) {
      xml += std::string("<sub-class-of type=\"") + type.SubClassOf + "\"/>";
    }
    for (const char* glob : type.Globs) {
      xml += std::string("<glob pattern=\"") + glob + "\"/>";
    }
    xml += "</mime-type>\n";
  }
  WriteBytes(dataHome / "mime/packages/quorvane-test.xml", xml + "</mime-info>\n");
}

// ".shtml" gets a document type of its own, so that the three default extensions name two.
inline void WriteSampleMimeData(const fs::path& dataHome) {
  WriteMimePackage(
      dataHome,
      {{"text/x-server-parsed-html", "Server-parsed HTML page", {"*.shtml"}, "text/html"}});
}

// One home for the whole test program, made on first use: the MIME database reads the data
// directories once per process. XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_CONFIG_DIRS point into it.
inline const fs::path SharedHome() {
  static const TTempDir home;
  static const bool prepared = [] {
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (home / "system").c_str(), 1);
    WriteSampleMimeData(home / "data");
    return true;
  }();
  (void)prepared;
  return home.PathWithoutSlash();
}

inline TActionFiles SharedActionFiles() {
  return {SharedHome() / "data", SharedHome() / "config"};
}

// Every file manager's actions in the shared home removed, whatever an earlier test left.
inline void RemoveSharedActionFiles() {
  for (const char* folder : {"data/kio", "data/nautilus", "data/nemo", "config"}) {
    fs::remove_all(SharedHome() / folder);
  }
}

}  // namespace quorvane::test
