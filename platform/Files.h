#pragma once

// The file system as the program sees it: whole-file read and safe replacement, attributes,
// dates, the walk over directories, and the files of an output tree.
#include "platform/DirectoryWalk.h"
#include "platform/FileAttributes.h"
#include "platform/FileContent.h"
#include "platform/OutputFile.h"
#include "platform/TemporaryFile.h"
