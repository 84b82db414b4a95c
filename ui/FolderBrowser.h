#pragma once

#include <QFileDialog>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;

namespace quorvane {

// Flags of the folder browser.
inline constexpr uint32_t BIF_RETURNONLYFSDIRS = 1;  // only directories of the file system
inline constexpr uint32_t BIF_STATUSTEXT = 4;        // a status line below the folders

class TFolderBrowser;

// What the folder browser tells its caller: it is ready, or another folder is selected.
enum class TBrowseEvent { Initialized, SelectionChanged };
using TBrowseCallback =
    std::function<void(TFolderBrowser& browser, TBrowseEvent event, const std::string& path)>;

// The folder browser: a directory dialog whose caller may select the starting folder, show a
// status line and allow OK only on folders it accepts.
class TFolderBrowser : public QFileDialog {
  Q_OBJECT

 public:
  TFolderBrowser(QWidget* parent, const std::string& title, uint32_t flags,
                 TBrowseCallback callback);

  // Paths are the file system's bytes.
  void SetSelection(const std::string& path);
  // Windows-1252 text of the program, shown in the status line (with BIF_STATUSTEXT).
  void SetStatusText(const std::string& text);
  void EnableOk(bool enabled);
  bool OkEnabled() const { return okEnabled_; }
  QString StatusLineText() const;
  // Tells the callback that the browser is ready and which folder it shows.
  void Initialize();
  // The folder the browser would return now.
  std::string SelectedPath() const;

 public slots:
  void accept() override;

 private:
  void Notify(TBrowseEvent event, const std::string& path);
  void ApplyOkButton();

  TBrowseCallback callback_;
  QLabel* statusLine_ = nullptr;
  bool okEnabled_ = true;
};

// Lets the user pick a directory, starting at `initialDir`; "" when cancelled. `root` names
// the folder at the top of the tree; 0, the desktop, is the only one used and Linux has no
// other, so it only exists for the callers' sake. Flags 0 mean BIF_RETURNONLYFSDIRS. Without a
// callback the browser just starts at `initialDir`.
std::string BrowseForFolder(int root, const std::string& title, const std::string& initialDir,
                            uint32_t flags, TBrowseCallback callback = {});

// How a dialog opens the folder browser (the same arguments); tests replace it.
using TFolderBrowserRunner =
    std::function<std::string(const std::string& title, const std::string& initialDir,
                              uint32_t flags, TBrowseCallback callback)>;
TFolderBrowserRunner DefaultFolderBrowser();

// `path` without its trailing "/" (the root "/" stays).
std::string WithoutTrailingSlash(const std::string& path);

}  // namespace quorvane
