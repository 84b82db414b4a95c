#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

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

// A MIME package below `dataHome` that gives ".shtml" a document type of its own, so that the
// three default extensions name two types.
inline void WriteSampleMimeData(const fs::path& dataHome) {
  WriteBytes(dataHome / "mime/packages/quorvane-test.xml",
             R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="text/x-server-parsed-html">
    <comment>Server-parsed HTML page</comment>
    <sub-class-of type="text/html"/>
    <glob pattern="*.shtml"/>
  </mime-type>
</mime-info>
)");
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

}  // namespace quorvane::test
