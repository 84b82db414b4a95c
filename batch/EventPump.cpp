#include "batch/EventPump.h"

#include <QCoreApplication>
#include <chrono>

namespace quorvane {

namespace {
std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
}

// Only an application with windows has events to handle: a terminal batch runs on a plain
// core application, and nothing of the batch's own goes through the event loop.
bool HasWindowEvents() {
  static const QCoreApplication* known = nullptr;
  static bool windows = false;
  const QCoreApplication* application = QCoreApplication::instance();
  if (application != known) {
    known = application;
    windows = application != nullptr && application->inherits("QGuiApplication");
  }
  return windows;
}
}  // namespace

void SetEventHook(std::function<void()> hook) {
  Hook() = std::move(hook);
}

void ProcessPendingEvents(bool force) {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point last;
  // Unforced calls come in tight loops: the clock is read on every 16th only.
  static unsigned calls = 0;
  if (!force && (++calls & 15) != 0) {
    return;
  }
  const auto now = Clock::now();
  if (!force && now - last < std::chrono::milliseconds(5)) {
    return;
  }
  last = now;
  if (Hook()) {
    Hook()();
  }
  if (HasWindowEvents()) {
    QCoreApplication::processEvents();
  }
}

}  // namespace quorvane
