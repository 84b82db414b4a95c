#pragma once

// The platform layer. Failure: every call that can fail at run time returns an error value
// (TFileError, an errno code, false or nothing), with the system's errno kept where it says
// why; nothing here throws or shows a message.

// The file system as the program sees it: whole-file read and safe replacement with its
// journal, the editor's preview file, attributes, dates, and the walk over directories.
#include "platform/DirectoryWalk.h"
#include "platform/FileAttributes.h"
#include "platform/FileContent.h"
#include "platform/PreviewFile.h"
#include "platform/TemporaryFile.h"
#include "platform/WriteJournal.h"
