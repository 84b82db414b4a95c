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
