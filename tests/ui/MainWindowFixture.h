#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "FakeMessages.h"
#include "platform/TestSupport.h"
#include "ui/MainWindow.h"
#include "ui/SourceEdit.h"

namespace quorvane::test {

// A main window on a settings store of its own, with fake messages and a browser that only
// records. Widgets and actions are found by their component names.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { CreateWindow(); }

  void CreateWindow() {
    store = std::make_unique<TSettingsStore>("Quorvane");
    form = std::make_unique<TMainWindow>(ChooseEnglish, *store);
    form->SetUrlOpener([this](const QUrl& url) {
      openedUrls.push_back(url);
      return true;
    });
  }
  void DestroyWindow() { form.reset(); }

  TEditorSession& Session() { return form->Session(); }
  TSourceEdit& Edit() { return *form->findChild<TSourceEdit*>("Edit"); }
  QAction* Action(const char* name) {
    QAction* action = form->findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
  }
  std::string Text() { return Edit().DocumentBytes(); }
  void Type(const QString& text) { QTest::keyClicks(&Edit(), text); }
  void SetText(const std::string& bytes) { Edit().SetDocumentBytes(bytes, false); }

  TScopedConfigHome configHome;
  TMessagesScope messages;
  TTempDir dir;
  std::unique_ptr<TSettingsStore> store;
  std::unique_ptr<TMainWindow> form;
  std::vector<QUrl> openedUrls;
};

}  // namespace quorvane::test
