#include "batch/EventPump.h"

#include <QCoreApplication>
#include <chrono>

namespace quorvane {

namespace {
std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
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
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::processEvents();
  }
}

}  // namespace quorvane
