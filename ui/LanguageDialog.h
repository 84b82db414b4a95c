#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/LanguageStartup.h"
#include "lang/LanguageChoices.h"
#include "ui/FormDialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quorvane {

class TDirectoryDialog;

// The language dialog: the language-and-country choices of one directory of language files.
class TLanguageDialog : public TFormDialog {
  Q_OBJECT

 public:
  // The line offered when the directory has no choices.
  static constexpr char kNoneChoice[] = "(none)";

  explicit TLanguageDialog(QWidget* parent = nullptr);
  ~TLanguageDialog() override;

  // A full path: its name is kept, its directory shown as the current one; "" empties both.
  void SetCountryFile(const std::string& path);
  void SetLanguageFile(const std::string& path);
  // The chosen files without their directory.
  const std::string& CountryFileName() const { return countryFileName_; }
  const std::string& LanguageFileName() const { return languageFileName_; }
  void SetPrefix(const std::string& prefix) { prefix_ = prefix; }
  // The directory of EditDir, or where the program's language files are installed.
  std::string CurrentDirectory() const;
  // The full name of a chosen file: the current directory and the name, "" for no name.
  std::string FullName(const std::string& name) const;
  int ChosenEntry() const { return chosen_; }

  // How the directory chooser is shown modally; tests answer it instead of a user.
  using TChooserRunner = std::function<int(TDirectoryDialog&)>;
  void SetChooserRunner(TChooserRunner runner) { runChooser_ = std::move(runner); }

  void FillList();
  void ListBox1Click();
  void ListBox1DblClick();
  void ButtonChangeClick();
  void FormShow() override;
  void FormHide() override;

  QLabel* Label1;
  QListWidget* ListBox1;
  QLabel* Label2;
  QLineEdit* EditDir;
  QPushButton* ButtonOk;
  QPushButton* ButtonCancel;
  QPushButton* ButtonChange;

 private:
  void CreateComponents();
  void ApplyTexts();
  void SetFile(const std::string& path, std::string& name);

  std::string countryFileName_;
  std::string languageFileName_;
  std::string prefix_;
  std::vector<TLanguageEntry> entries_;
  int chosen_ = -1;
  TChooserRunner runChooser_;
};

// The program's language files are named prefix + two characters + ".nls".
inline constexpr char kLanguagePrefix[] = "Quorvane_";

// Runs the language dialog on the pair (full paths). True when the user chose another pair,
// which is then stored in it (language first, then country); false for Cancel or the same
// choice. `run` shows the dialog modally (tests answer it).
bool ChooseLanguage(std::string& country, std::string& language, const std::string& prefix,
                    QWidget* parent = nullptr,
                    const std::function<int(TLanguageDialog&)>& run = {});

// The chooser for the first start's language check (StartLanguage).
TLanguageChooser GuiLanguageChooser(QWidget* parent);

// The View menu's language command on the program's pair: after another choice, the notice
// that it takes effect at the next start. True when the pair changed.
bool ViewLanguageCommand(std::string& country, std::string& language, QWidget* parent = nullptr,
                         const std::function<int(TLanguageDialog&)>& run = {});

}  // namespace quorvane
