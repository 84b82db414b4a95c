#include "platform/InterruptWatch.h"

#include <unistd.h>

#include <atomic>
#include <stdexcept>

#include "platform/TemporaryFile.h"

namespace quorvane {
namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

// Signal handlers can only reach static storage.
constinit std::atomic<bool> interruptRequested{false};
constinit std::atomic<bool> watchInstalled{false};

void OnInterrupt(int) {
  if (interruptRequested.exchange(true)) {
    RemovePendingTemporaryFile();
    ::_exit(130);
  }
}

}  // namespace

TInterruptWatch::TInterruptWatch() {
  if (watchInstalled.exchange(true)) {
    throw std::logic_error("TInterruptWatch: only one per process");
  }
  interruptRequested.store(false);
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) {
    sigaddset(&action.sa_mask, signal);
  }
  for (size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], &action, &previous_[i]);
  }
}

TInterruptWatch::~TInterruptWatch() {
  for (size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], &previous_[i], nullptr);
  }
  watchInstalled.store(false);
}

bool TInterruptWatch::Requested() {
  return interruptRequested.load();
}

void TInterruptWatch::Reset() {
  interruptRequested.store(false);
}

}  // namespace quorvane
