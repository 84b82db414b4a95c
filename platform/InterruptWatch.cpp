#include "platform/InterruptWatch.h"

#include <unistd.h>

#include <atomic>
#include <stdexcept>

#include "platform/TemporaryFile.h"

namespace quorvane {
namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

// Signal handlers can only reach static storage.
constinit std::atomic<int> requestingSignal{0};
constinit std::atomic<bool> watchInstalled{false};

void OnInterrupt(int signal) {
  if (requestingSignal.exchange(signal) != 0) {
    RemovePendingTemporaryFile();
    ::_exit(128 + signal);
  }
}

}  // namespace

TInterruptWatch::TInterruptWatch() {
  if (watchInstalled.exchange(true)) {
    throw std::logic_error("TInterruptWatch: only one per process");
  }
  requestingSignal.store(0);
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
  return requestingSignal.load() != 0;
}

bool TInterruptWatch::TerminationRequested() {
  const int signal = requestingSignal.load();
  return signal == SIGTERM || signal == SIGHUP;
}

int TInterruptWatch::ExitCode() {
  const int signal = requestingSignal.load();
  return signal == 0 ? 0 : 128 + signal;
}

void TInterruptWatch::Reset() {
  requestingSignal.store(0);
}

}  // namespace quorvane
