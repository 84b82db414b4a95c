#pragma once

#include <signal.h>

#include <array>

namespace quorvane {

// Turns Ctrl+C, SIGTERM and SIGHUP into a cancel request: the first signal only sets a flag
// that the work polls; a second one removes the temporary file being written and ends the
// process at once with the exit code of that signal (128 + its number: 130 for Ctrl+C, 143
// for SIGTERM). Interrupted system calls go on where they were: the batch never waits without
// looking at the request (special files are never opened, standard input is waited for with the
// signals let in; its one question on the terminal follows a first signal, and any other ends
// the process), so the first signal is always seen. One per process; the previous handlers
// come back when it ends.
class TInterruptWatch {
 public:
  TInterruptWatch();
  ~TInterruptWatch();
  TInterruptWatch(const TInterruptWatch&) = delete;
  TInterruptWatch& operator=(const TInterruptWatch&) = delete;

  static bool Requested();
  // SIGTERM or SIGHUP: the process is asked to end, and nobody is there to ask whether it may.
  static bool TerminationRequested();
  // The exit code for the request: 128 + the number of the signal; 0 without a request.
  static int ExitCode();
  static void Reset();

 private:
  std::array<struct sigaction, 3> previous_;
};

}  // namespace quorvane
