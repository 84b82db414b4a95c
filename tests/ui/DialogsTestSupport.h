#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "batch/Messages.h"

namespace quorvane::test {

// Keeps the messages a dialog shows instead of showing them.
class TRecordingMessages : public IMessages {
 public:
  std::vector<std::string> Errors;
  std::vector<std::string> Informations;
  void Error(const std::string& text) override { Errors.push_back(text); }
  void Information(const std::string& text, const std::string&) override {
    Informations.push_back(text);
  }
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  TErrorChoice AskAbortRetryIgnore(const std::string&, const std::string&) override {
    return TErrorChoice::Abort;
  }
};

// Installs a TRecordingMessages for the lifetime of the object.
class TMessagesScope {
 public:
  TMessagesScope();
  ~TMessagesScope();
  TRecordingMessages& operator*() { return *messages_; }
  TRecordingMessages* operator->() { return messages_; }

 private:
  TRecordingMessages* messages_;
};

// A directory under the system's temporary directory, removed with everything in it.
class TScratchDir {
 public:
  TScratchDir();
  ~TScratchDir();
  const std::filesystem::path& Path() const { return path_; }
  // Writes `text` to the file `name` in the directory; returns its full path.
  std::string Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

}  // namespace quorvane::test
