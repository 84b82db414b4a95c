#pragma once

#include <signal.h>

#include <array>

namespace quorvane {

// Turns Ctrl+C (and SIGTERM, SIGHUP) into a cancel request: the first signal only sets a flag
// that the work polls; a second one removes the temporary file being written and ends the
// process with exit code 130. One per process; the previous handlers come back when it ends.
class TInterruptWatch {
 public:
  TInterruptWatch();
  ~TInterruptWatch();
  TInterruptWatch(const TInterruptWatch&) = delete;
  TInterruptWatch& operator=(const TInterruptWatch&) = delete;

  static bool Requested();
  static void Reset();

 private:
  std::array<struct sigaction, 3> previous_;
};

}  // namespace quorvane
