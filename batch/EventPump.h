#pragma once

#include <functional>

namespace quorvane {

// "Let the application process its pending messages": the batch and the compression run call
// this at their fixed points. Frequent callers are throttled so that a tight loop does not
// spend its time in the event loop.
void ProcessPendingEvents(bool force = false);

// Runs at every pass through the pump (the terminal's Ctrl+C watch, for instance).
void SetEventHook(std::function<void()> hook);

}  // namespace quorvane
