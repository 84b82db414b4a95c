#include "platform/Console.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <string_view>

#include "platform/FileDescriptor.h"
#include "platform/InterruptWatch.h"

namespace quorvane {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// One line from `input` without its line end; nothing at the end of the input.
std::optional<std::string> ReadLine(int input) {
  std::string line;
  char c;
  for (;;) {
    const ssize_t count = ::read(input, &c, 1);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return line.empty() ? std::nullopt : std::optional<std::string>(line);
    }
    if (c == '\n') {
      return line;
    }
    line += c;
  }
}

// The answer without blanks around it, case-folded.
QString NormalAnswer(std::string_view answer) {
  return QString::fromUtf8(answer.data(), static_cast<qsizetype>(answer.size()))
      .trimmed()
      .toCaseFolded();
}

std::optional<size_t> ChoiceOf(const TTerminalQuestion& question, std::string_view line) {
  const QString answer = NormalAnswer(line);
  if (answer.isEmpty()) {
    return std::nullopt;
  }
  for (size_t choice = 0; choice < question.Answers.size(); ++choice) {
    for (const std::string& word : question.Answers[choice]) {
      if (NormalAnswer(word) == answer) {
        return choice;
      }
    }
  }
  return std::nullopt;
}

bool WriteText(int output, std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(output, text.data(), text.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return false;
    }
    text.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

// Blocks the interrupt signals for a scope; ppoll lets them in only while it waits, so that a
// signal cannot slip in between the look at the request and the wait.
class TInterruptsHeld {
 public:
  TInterruptsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&set, signal);
    }
    pthread_sigmask(SIG_BLOCK, &set, &open_);
  }
  ~TInterruptsHeld() { pthread_sigmask(SIG_SETMASK, &open_, nullptr); }
  TInterruptsHeld(const TInterruptsHeld&) = delete;
  TInterruptsHeld& operator=(const TInterruptsHeld&) = delete;
  const sigset_t& Open() const { return open_; }

 private:
  sigset_t open_;
};

// Waits until `fd` is ready for `events` (or has failed); false after an interrupt.
bool WaitUntilReady(int fd, short events, const TInterruptsHeld& held) {
  for (;;) {
    if (TInterruptWatch::Requested()) {
      return false;
    }
    pollfd stream{fd, events, 0};
    if (::ppoll(&stream, 1, nullptr, &held.Open()) >= 0 || errno != EINTR) {
      return true;  // an error shows in the read or write that follows
    }
  }
}

TFileDescriptor OpenTerminal() {
  return TFileDescriptor(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
}

}  // namespace

int ReadStandardInput(std::string& content) {
  content.clear();
  const TInterruptsHeld held;
  struct stat status;
  if (::fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    content.reserve(static_cast<size_t>(status.st_size));
  }
  constexpr size_t kChunk = size_t{1} << 20;
  size_t length = 0;
  try {
    for (;;) {
      if (!WaitUntilReady(STDIN_FILENO, POLLIN, held)) {
        content.resize(length);
        return EINTR;
      }
      content.resize(length + kChunk);
      const ssize_t count = ::read(STDIN_FILENO, content.data() + length, kChunk);
      if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        content.resize(length);
        continue;
      }
      if (count <= 0) {
        const int error = count < 0 ? errno : 0;
        content.resize(length);
        return error;
      }
      length += static_cast<size_t>(count);
    }
  } catch (const std::bad_alloc&) {
    std::string().swap(content);
    return ENOMEM;
  }
}

bool WriteStandardOutput(std::string_view data) {
  const TInterruptsHeld held;
  struct stat status;
  // Ready to write, a pipe or a terminal takes PIPE_BUF bytes at once; a larger write would
  // wait for the reader with the interrupts shut out.
  const bool regular = ::fstat(STDOUT_FILENO, &status) == 0 && S_ISREG(status.st_mode);
  const size_t chunk = regular ? data.size() : size_t{PIPE_BUF};
  while (!data.empty()) {
    if (!WaitUntilReady(STDOUT_FILENO, POLLOUT, held)) {
      return false;
    }
    const ssize_t count = ::write(STDOUT_FILENO, data.data(), std::min(data.size(), chunk));
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (count <= 0) {
      return false;
    }
    data.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

bool DisplayAvailable() {
  if (!Environment("DISPLAY").empty() || !Environment("WAYLAND_DISPLAY").empty()) {
    return true;
  }
  // The first platform Qt tries, up to its options; the others would need one of the above.
  std::string_view platform = Environment("QT_QPA_PLATFORM");
  platform = platform.substr(0, platform.find_first_of(";:"));
  for (const std::string_view displayless :
       {"offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"}) {
    if (platform == displayless) {
      return true;
    }
  }
  return false;
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool UseConsoleUi() {
  const std::string_view choice = Environment("QUORVANE_UI");
  if (choice == "console") {
    return true;
  }
  if (choice == "gui") {
    return false;
  }
  return StandardErrorIsTerminal() ||
         (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty());
}

std::string LocaleLanguageCode() {
  std::string_view locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = Environment(name);
    if (!locale.empty()) {
      break;
    }
  }
  // A language code of exactly two letters, followed by the end or a territory, codeset or
  // modifier; "C", "POSIX" and three-letter codes have no two-letter language.
  const bool twoLetters =
      locale.size() >= 2 && IsAsciiLetter(locale[0]) && IsAsciiLetter(locale[1]) &&
      (locale.size() == 2 || std::string_view("_.@").find(locale[2]) != std::string_view::npos);
  if (!twoLetters) {
    return {};
  }
  return {LowerAscii(locale[0]), LowerAscii(locale[1])};
}

std::optional<size_t> Ask(int input, int output, const TTerminalQuestion& question) {
  for (;;) {
    WriteText(output, question.Prompt);
    const std::optional<std::string> line = ReadLine(input);
    if (!line) {
      WriteText(output, "\n");
      return std::nullopt;
    }
    if (auto choice = ChoiceOf(question, *line)) {
      return choice;
    }
  }
}

std::optional<size_t> AskOnTerminal(const TTerminalQuestion& question) {
  const TFileDescriptor terminal = OpenTerminal();
  if (!terminal.Valid()) {
    return std::nullopt;
  }
  return Ask(terminal.Get(), terminal.Get(), question);
}

}  // namespace quorvane
