#pragma once

// The file system as the program sees it: whole-file read and safe replacement with its
// journal, the editor's preview file, attributes, dates, and the walk over directories.
#include "platform/DirectoryWalk.h"
#include "platform/FileAttributes.h"
#include "platform/FileContent.h"
#include "platform/PreviewFile.h"
#include "platform/TemporaryFile.h"
#include "platform/WriteJournal.h"
