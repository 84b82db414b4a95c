#pragma once

// The machine and the session: clock, memory load, where the program's data lies, the terminal
// and the interrupt signals.
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/InterruptWatch.h"
#include "platform/MemoryLoad.h"
#include "platform/ProgramFiles.h"
