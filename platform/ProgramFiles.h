#pragma once

#include <string>
#include <vector>

namespace quorvane {

// The absolute path of the program file, symbolic links resolved; empty when unknown. That is
// the running executable, or, in the window program, the program that handed over to it.
std::string ProgramFilePath();

// The editor and the window roads of the batch live in a program of their own, so that a batch
// in a terminal never loads the window libraries (they take most of its start-up time): beside
// the program file (a build tree), else in ../libexec/ from there (an installation).
std::string WindowProgramPath();

// Replaces this process by the window program with the same arguments, telling it which program
// file it stands for. Returns only on failure, with the errno.
int ExecWindowProgram(char** argv);

// The directory of the running executable, with a trailing "/"; empty when unknown.
std::string ProgramDirectory();

// Where language files and help pages are looked for, in this order: beside the program, in
// ../share/quorvane/ from there, and in the build tree's data/ directory when it exists. Each
// ends in "/".
std::vector<std::string> DataDirectories();

// The full path of the first data directory's `name` that exists, or "".
std::string FindDataFile(const std::string& name);

}  // namespace quorvane
