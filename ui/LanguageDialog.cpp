#include "ui/LanguageDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "batch/Messages.h"
#include "batch/UiText.h"
#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "support/Win1252.h"
#include "ui/DirectoryDialog.h"
#include "ui/FolderBrowser.h"

namespace quorvane {
namespace {

constexpr int kEntryRole = Qt::UserRole;

// A choice sorted as the user's language sorts: "Deutsch (Österreich)" before
// "Deutsch (Schweiz)", which code point order would swap.
class TChoiceItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override {
    return QString::localeAwareCompare(text(), other.text()) < 0;
  }
};

constexpr char kCaption[] = "Language";
constexpr char kChooseLabel[] = "Please choose &language:";
constexpr char kDirectoryLabel[] = "Directory";
constexpr char kCancelCaption[] = "Cancel";
constexpr char kChangeCaption[] = "Change";

// Texts only once a language is loaded: before, the dialog shows its built-in English.
std::string DialogText(uint32_t id, const char* builtIn) {
  return LanguageInitialised() ? GetText(id, builtIn) : std::string(builtIn);
}

}  // namespace

TLanguageDialog::TLanguageDialog(QWidget* parent) : TFormDialog(parent) {
  setObjectName("DLGLanguage");
  CreateComponents();
  ApplyTexts();
  runChooser_ = [](TDirectoryDialog& chooser) { return chooser.exec(); };
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonChange, &QPushButton::clicked, this, &TLanguageDialog::ButtonChangeClick);
  connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TLanguageDialog::ListBox1Click);
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TLanguageDialog::ListBox1DblClick);
  setFixedSize(sizeHint().expandedTo(QSize(349, 210)));
}

TLanguageDialog::~TLanguageDialog() = default;

void TLanguageDialog::CreateComponents() {
  Label1 = new QLabel(kChooseLabel, this);
  ListBox1 = new QListWidget(this);
  ListBox1->setSortingEnabled(true);
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  Label2 = new QLabel(kDirectoryLabel, this);
  EditDir = new QLineEdit(this);
  EditDir->setReadOnly(true);
  QPalette grey = EditDir->palette();
  grey.setColor(QPalette::Base, palette().color(QPalette::Window));
  EditDir->setPalette(grey);
  ButtonOk = new QPushButton("OK", this);
  ButtonOk->setDefault(true);
  ButtonOk->setEnabled(false);
  ButtonCancel = new QPushButton(kCancelCaption, this);
  ButtonChange = new QPushButton(kChangeCaption, this);

  auto* dirRow = new QHBoxLayout;
  dirRow->addWidget(EditDir, 1);
  dirRow->addWidget(ButtonChange);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {ButtonOk, ButtonCancel}) {
    button->setMinimumSize(75, 25);
    buttons->addWidget(button);
  }
  ButtonChange->setMinimumSize(75, 25);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ListBox1, 1);
  layout->addWidget(Label2);
  layout->addLayout(dirRow);
  layout->addLayout(buttons);

  const std::pair<QObject*, const char*> names[] = {
      {Label1, "Label1"},
      {ListBox1, "ListBox1"},
      {Label2, "Label2"},
      {EditDir, "EditDir"},
      {ButtonOk, "ButtonOk"},
      {ButtonCancel, "ButtonCancel"},
      {ButtonChange, "ButtonChange"},
  };
  for (const auto& [object, name] : names) {
    object->setObjectName(name);
  }
}

void TLanguageDialog::ApplyTexts() {
  setWindowTitle(UiText(CapText(DialogText(textid::kLanguage, kCaption))));
  std::vector<std::string> captions = {
      DialogText(textid::kChooseLanguageLabel, kChooseLabel),
      CapText(DialogText(textid::kDirectory, kDirectoryLabel), ":"),
      CapText(DialogText(textid::kChange, kChangeCaption), "..."),
  };
  AssignAccelerators(captions);
  Label1->setText(UiText(captions[0]));
  Label2->setText(UiText(captions[1]));
  ButtonChange->setText(UiText(captions[2]));
  ButtonCancel->setText(UiText(CapText(DialogText(textid::kCancel, kCancelCaption))));
  ButtonOk->setText(UiText(CapText(DialogText(textid::kOk, "OK"))));
  Label1->setBuddy(ListBox1);
  Label2->setBuddy(EditDir);
}

void TLanguageDialog::SetFile(const std::string& path, std::string& name) {
  name = std::string(ExtractFileName(path));
  EditDir->setText(PathText(std::string(ExtractFilePath(path))));
}

void TLanguageDialog::SetCountryFile(const std::string& path) {
  SetFile(path, countryFileName_);
}

void TLanguageDialog::SetLanguageFile(const std::string& path) {
  SetFile(path, languageFileName_);
}

std::string TLanguageDialog::CurrentDirectory() const {
  const std::string dir = FilePath(EditDir->text());
  if (!dir.empty()) {
    return dir;
  }
  // Installed language files lie beside the program or in its share directory.
  for (const std::string& candidate : DataDirectories()) {
    if (!FindLanguages(candidate, prefix_).empty()) {
      return candidate;
    }
  }
  return ProgramDirectory();
}

std::string TLanguageDialog::FullName(const std::string& name) const {
  return name.empty() ? std::string() : IncludeTrailingSlash(CurrentDirectory()) + name;
}

void TLanguageDialog::FillList() {
  entries_.clear();
  ListBox1->clear();
  chosen_ = -1;
  entries_ = FindLanguages(CurrentDirectory(), prefix_);
  if (entries_.empty()) {
    ListBox1->addItem(kNoneChoice);
    ButtonOk->setEnabled(false);
    return;
  }
  const std::string country = FullName(countryFileName_);
  const std::string language = FullName(languageFileName_);
  QListWidgetItem* current = nullptr;
  for (size_t index = 0; index < entries_.size(); ++index) {
    const TLanguageEntry& entry = entries_[index];
    // Added once constructed, so that the sorted insertion sees TChoiceItem's order.
    auto item = std::make_unique<TChoiceItem>(UiText(entry.DisplayName));
    item->setData(kEntryRole, static_cast<int>(index));
    if (current == nullptr && entry.CountryFile == country && entry.LanguageFile == language) {
      current = item.get();
    }
    ListBox1->addItem(item.release());
  }
  if (current != nullptr) {
    ListBox1->setCurrentItem(current);
    ListBox1Click();
  } else {
    ButtonOk->setEnabled(false);
  }
}

void TLanguageDialog::ListBox1Click() {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  if (selected.isEmpty()) {
    ButtonOk->setEnabled(false);
    return;
  }
  ButtonOk->setEnabled(true);
  const QVariant index = selected.front()->data(kEntryRole);
  if (!index.isValid()) {
    // "(none)": no files, and the directory stays on show.
    countryFileName_.clear();
    languageFileName_.clear();
    chosen_ = -1;
    return;
  }
  chosen_ = index.toInt();
  const TLanguageEntry& entry = entries_[chosen_];
  SetCountryFile(entry.CountryFile);
  SetLanguageFile(entry.LanguageFile);
}

void TLanguageDialog::ListBox1DblClick() {
  if (ButtonOk->isEnabled()) {
    ButtonOk->click();
  }
}

void TLanguageDialog::ButtonChangeClick() {
  TDirectoryDialog chooser(this);
  // Without a text of its own the chooser is titled like this dialog.
  chooser.setWindowTitle(
      UiText(CapText(DialogText(textid::kChooseLanguageDir, ProgramText(windowTitle()).c_str()))));
  chooser.SetDir(CurrentDirectory());
  chooser.BrowseTitle =
      DialogText(textid::kChooseLanguageDir, "Please choose directory with language files");
  chooser.StatusText = CapText(DialogText(textid::kNoLanguagesFound, "no languages found"), ".");
  const std::string prefix = prefix_;
  chooser.OnCheckDir = [prefix](const std::string& path, std::string& status, bool& ok) {
    const TLanguageSummary summary = LanguageSummary(path, prefix);
    status = summary.Text;
    ok = summary.Found;
  };
  const int result = runChooser_(chooser);
  chooser.OnCheckDir = nullptr;
  if (result != QDialog::Accepted) {
    return;
  }
  EditDir->setText(PathText(chooser.GetDir()));
  FillList();
}

void TLanguageDialog::FormShow() {
  FillList();
  ListBox1->setFocus();
}

void TLanguageDialog::FormHide() {
  entries_.clear();
}

bool ChooseLanguage(std::string& country, std::string& language, const std::string& prefix,
                    QWidget* parent, const std::function<int(TLanguageDialog&)>& run) {
  TLanguageDialog dialog(parent);
  dialog.SetCountryFile(country);
  dialog.SetLanguageFile(language);
  dialog.SetPrefix(prefix);
  const int result = run ? run(dialog) : dialog.exec();
  if (result != QDialog::Accepted) {
    return false;
  }
  const std::string newCountry = dialog.FullName(dialog.CountryFileName());
  const std::string newLanguage = dialog.FullName(dialog.LanguageFileName());
  if (newCountry == country && newLanguage == language) {
    return false;
  }
  language = newLanguage;
  country = newCountry;
  return true;
}

TLanguageChooser GuiLanguageChooser(QWidget* parent) {
  return [parent](std::string& country, std::string& language) {
    return ChooseLanguage(country, language, kLanguagePrefix, parent);
  };
}

bool ViewLanguageCommand(std::string& country, std::string& language, QWidget* parent,
                         const std::function<int(TLanguageDialog&)>& run) {
  if (!ChooseLanguage(country, language, kLanguagePrefix, parent, run)) {
    return false;
  }
  Messages().Information(CapText(GetText(textid::kLanguageChanged), "."),
                         GetText(textid::kCaptionInformation, "Information"));
  return true;
}

}  // namespace quorvane
