#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/Messages.h"

namespace quorvane::test {

// Records every message and question (as UTF-8) and answers from a queue: a Yes/No question
// takes Yes for Yes, anything else (also an empty queue) as No; Yes/No/Cancel is Cancel when
// the queue is empty. An error the user could act on takes the next of ErrorAnswers, after
// running its action; without one it is aborted.
class TFakeMessages : public IMessages {
 public:
  struct TErrorAnswer {
    TErrorChoice Choice;
    std::function<void()> Before;
  };
  std::vector<std::string> Errors;
  std::vector<std::string> Informations;
  std::vector<std::string> Questions;
  std::vector<std::string> ErrorCaptions;
  std::deque<TAnswer> Answers;
  std::deque<TErrorAnswer> ErrorAnswers;

 private:
  void ShowError(const QString& text) override { Errors.push_back(text.toStdString()); }
  void ShowInformation(const QString& text, const QString&) override {
    Informations.push_back(text.toStdString());
  }
  TAnswer Ask(const QString& question, const QString&, bool withCancel) override {
    Questions.push_back(question.toStdString());
    const TAnswer answer = Answers.empty() ? TAnswer::Cancel : Answers.front();
    if (!Answers.empty()) {
      Answers.pop_front();
    }
    return withCancel || answer == TAnswer::Yes ? answer : TAnswer::No;
  }
  TErrorChoice AskAboutError(const QString& text, const QString& caption) override {
    Errors.push_back(text.toStdString());
    ErrorCaptions.push_back(caption.toStdString());
    const TErrorAnswer answer =
        ErrorAnswers.empty() ? TErrorAnswer{TErrorChoice::Abort, {}} : ErrorAnswers.front();
    if (!ErrorAnswers.empty()) {
      ErrorAnswers.pop_front();
    }
    if (answer.Before) {
      answer.Before();
    }
    return answer.Choice;
  }
};

// Makes a TFakeMessages the program's messages for the lifetime of the object.
class TMessagesScope {
 public:
  TMessagesScope() {
    auto messages = std::make_unique<TFakeMessages>();
    messages_ = messages.get();
    SetMessages(std::move(messages));
  }
  ~TMessagesScope() { SetMessages(std::make_unique<TConsoleMessages>()); }
  TMessagesScope(const TMessagesScope&) = delete;
  TMessagesScope& operator=(const TMessagesScope&) = delete;
  TFakeMessages& operator*() { return *messages_; }
  TFakeMessages* operator->() { return messages_; }

 private:
  TFakeMessages* messages_;
};

}  // namespace quorvane::test
