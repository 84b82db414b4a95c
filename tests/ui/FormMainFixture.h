#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "batch/ApplicationReg.h"
#include "platform/System.h"
#include "platform/TestSupport.h"
#include "ui/FormMain.h"
#include "ui/RichEditEx.h"
#include "ui/UserDialogs.h"

namespace quorvane::test {

// Answers the window's questions from queues and records every message.
class TFakeDialogs : public IUserDialogs {
 public:
  std::vector<QString> Errors;
  std::vector<QString> Messages;
  std::vector<QString> Questions;
  std::deque<TAnswer> Answers;    // for AskYesNoCancel; Cancel when empty
  std::deque<bool> YesNo;         // for AskYesNo; No when empty
  std::deque<QString> FileNames;  // for the open and save dialogs; none: cancelled

  void Error(const QString& text) override { Errors.push_back(text); }
  void Message(const QString& text) override { Messages.push_back(text); }
  bool AskYesNo(const QString& question) override {
    Questions.push_back(question);
    return Take(YesNo, false);
  }
  TAnswer AskYesNoCancel(const QString& question) override {
    Questions.push_back(question);
    return Take(Answers, TAnswer::Cancel);
  }
  std::optional<QString> OpenFileName(const QString&) override { return TakeFileName(); }
  std::optional<QString> SaveFileName(const QString&, const QString&) override {
    return TakeFileName();
  }
  std::optional<QFont> ChooseFont(const QFont&) override { return std::nullopt; }

 private:
  std::optional<QString> TakeFileName() {
    if (FileNames.empty()) {
      return std::nullopt;
    }
    QString name = FileNames.front();
    FileNames.pop_front();
    return name;
  }

  template <typename T>
  static T Take(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) {
      return otherwise;
    }
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

// English texts, whatever the machine's locale.
inline bool ChooseEnglish(std::string& country, std::string& language) {
  country = FindDataFile("STATE_GB.nls");
  language = FindDataFile("Quorvane_en.nls");
  return true;
}

// A main window on fresh settings, with fake dialogs and a browser that only records.
class FormMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplicationReg().DeleteAppKey({});
    ApplicationReg().Flush();
    CreateWindow();
  }

  void CreateWindow() {
    form = std::make_unique<TFormMain>(ChooseEnglish);
    auto fake = std::make_unique<TFakeDialogs>();
    dialogs = fake.get();
    form->SetUserDialogs(std::move(fake));
    form->SetUrlOpener([this](const QUrl& url) {
      openedUrls.push_back(url);
      return browserWorks;
    });
  }

  void DestroyWindow() { form.reset(); }

  TRichEditEx& Edit() { return *form->Edit; }
  std::string Text() { return form->EditorText(); }

  void Type(const QString& text) { QTest::keyClicks(form->Edit, text); }
  void SetText(const std::string& bytes) { form->Edit->SetDocumentBytes(bytes, false); }

  TTempDir dir;
  std::unique_ptr<TFormMain> form;
  TFakeDialogs* dialogs = nullptr;
  std::vector<QUrl> openedUrls;
  bool browserWorks = true;
};

}  // namespace quorvane::test
