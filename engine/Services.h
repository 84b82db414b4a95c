#pragma once

#include "engine/IncludeFiles.h"
#include "engine/Progress.h"
#include "engine/Texts.h"

namespace quorvane {

// What a compression pass needs from its host: progress and cancel, texts, included files.
struct TEngineServices {
  IProgress& Progress;
  ITextSource& Texts;
  IIncludeFiles& Files;
};

}  // namespace quorvane
