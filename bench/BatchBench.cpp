// Times the batch tool as a process over a generated tree of pages, each figure beside the
// tools it is held against, measured in the same run: cp -r of the same tree (plain, and
// flushed to disk as the batch tool flushes what it wrote) and, for a run that finds nothing
// to do, find DIR -type f | wc -l. Also the peak memory of the tool on one large page.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "PageGenerator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Wall time and CPU time (user and system, the child's own children included): on a shared
// machine the wall time says what a user waits, the CPU time what the work itself costs.
struct TTimes {
  double Wall = 1e9;
  double Cpu = 1e9;
  void Keep(const TTimes& round) {
    Wall = std::min(Wall, round.Wall);
    Cpu = std::min(Cpu, round.Cpu);
  }
};

TTimes AddTimes(const TTimes& a, const TTimes& b) {
  return {a.Wall + b.Wall, a.Cpu + b.Cpu};
}

struct TRun {
  TTimes Times;
  long PeakKilobytes;  // the child's largest resident set
};

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double CpuSeconds(const rusage& usage) {
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

TRun RunChild(const std::vector<std::string>& command) {
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& arg : command) {
      argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
      _exit(127);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", command[0].c_str());
    std::exit(1);
  }
  return {{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds(usage)},
          usage.ru_maxrss};
}

TTimes Run(const std::vector<std::string>& command) {
  return RunChild(command).Times;
}

TTimes Shell(const std::string& script, const std::string& first, const std::string& second = {}) {
  return Run({"sh", "-c", script, first, second});
}

// What any safe in-place rewrite of a tree costs before it compresses anything: every file is
// read, written to a new file beside it, renamed over the original, and the file system is
// flushed at the end, as the batch tool does.
TTimes ReplaceEveryFile(const fs::path& root) {
  const auto start = Clock::now();
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  std::string content;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) {
      continue;
    }
    const std::string path = entry.path().string();
    const std::string temporary = path + ".new";
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    fstat(in, &st);
    content.resize(static_cast<size_t>(st.st_size));
    const bool read = ::read(in, content.data(), content.size()) == st.st_size;
    close(in);
    const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const bool written = read && write(out, content.data(), content.size()) == st.st_size;
    close(out);
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
      std::fprintf(stderr, "cannot rewrite %s\n", path.c_str());
      std::exit(1);
    }
  }
  const int dir = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  syncfs(dir);
  close(dir);
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  return {std::chrono::duration<double>(Clock::now() - start).count(),
          CpuSeconds(after) - CpuSeconds(before)};
}

size_t MakeTree(const fs::path& root, int pages, size_t totalBytes) {
  size_t bytes = 0;
  for (int i = 0; i < pages; ++i) {
    // About two pages a folder, as on a real site: 10 sections of 65 folders each.
    const fs::path dir =
        root / ("section" + std::to_string(i % 10)) / ("part" + std::to_string((i / 10) % 65));
    fs::create_directories(dir);
    // Sizes vary from a fifth to nearly twice the mean, as on real sites.
    const size_t mean = totalBytes / pages;
    const size_t size = mean / 5 + (static_cast<size_t>(i) * 7919 % (mean * 9 / 5));
    const std::string page = quorvane::bench::GeneratePage(size, static_cast<uint32_t>(i));
    std::ofstream(dir / ("page" + std::to_string(i) + ".htm"), std::ios::binary) << page;
    bytes += page.size();
  }
  return bytes;
}

struct TBest {
  TTimes Copy;         // cp -r
  TTimes FlushedCopy;  // cp -r, then sync of the copy's file system
  TTimes Rewrite;      // every file rewritten the safe way, uncompressed
  TTimes Mirror;       // quorvane -r -o OUT SOURCE
  TTimes InPlace;      // quorvane -k -r COPY
  TTimes Unchanged;    // quorvane -m -r COPY, after a first -m run
  TTimes Find;         // find COPY -type f | wc -l
};

void KeepBest(TBest& best, const TBest& round) {
  best.Copy.Keep(round.Copy);
  best.FlushedCopy.Keep(round.FlushedCopy);
  best.Rewrite.Keep(round.Rewrite);
  best.Mirror.Keep(round.Mirror);
  best.InPlace.Keep(round.InPlace);
  best.Unchanged.Keep(round.Unchanged);
  best.Find.Keep(round.Find);
}

// The median over the rounds of a ratio taken within each round: on a busy machine the tools
// held against each other then share the same moments.
template <typename TRatio>
double MedianRatio(const std::vector<TBest>& rounds, TRatio ratio) {
  std::vector<double> ratios;
  for (const TBest& round : rounds) {
    ratios.push_back(ratio(round));
  }
  std::sort(ratios.begin(), ratios.end());
  const size_t middle = ratios.size() / 2;
  return ratios.size() % 2 == 1 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
}

// Reads every file below `root`, so that a step finds the tree in memory, as a tree is that
// was just written or read: a virtual machine may hand back the memory of pages that were not
// used for a minute, and reading them again from disk would slow the step that meets them.
void ReadTree(const fs::path& root) {
  std::vector<char> buffer(size_t{1} << 20);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) {
      continue;
    }
    const int file = open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
    while (file >= 0 && read(file, buffer.data(), buffer.size()) > 0) {
    }
    close(file);
  }
}

// Each step that creates files starts on a file system that has written everything out and
// has been left alone for half a minute.
void Settle() {
  Run({"sync"});
  std::this_thread::sleep_for(std::chrono::seconds(31));
}

// The file system `dir` lies on, and whether it is ext4 without a journal: that ext4 passes
// over every inode freed in the last minute (six, once the inode's table block is written to
// again) when it looks for a free one. Any step that creates files after another freed some
// pays for it, and an in-place rewrite frees one inode for every file it writes.
struct TFileSystem {
  std::string Name;
  bool Ext4WithoutJournal = false;
};

TFileSystem FileSystemOf(const fs::path& dir) {
  struct statfs info {};
  struct stat status {};
  if (statfs(dir.c_str(), &info) != 0 || stat(dir.c_str(), &status) != 0) {
    return {"unknown"};
  }
  if (info.f_type != EXT4_SUPER_MAGIC) {
    char name[40];
    std::snprintf(name, sizeof name, "file system type 0x%lx",
                  static_cast<unsigned long>(info.f_type));
    return {name};
  }
  // The block device's kernel name, from its uevent; its journal shows as /proc/fs/jbd2/NAME-*.
  std::ifstream uevent("/sys/dev/block/" + std::to_string(major(status.st_dev)) + ":" +
                       std::to_string(minor(status.st_dev)) + "/uevent");
  std::string line;
  std::string device;
  while (std::getline(uevent, line)) {
    if (line.rfind("DEVNAME=", 0) == 0) {
      device = line.substr(8);
    }
  }
  std::error_code error;
  for (const fs::directory_entry& journal : fs::directory_iterator("/proc/fs/jbd2", error)) {
    if (!device.empty() && journal.path().filename().string().rfind(device + "-", 0) == 0) {
      return {"ext4 with a journal"};
    }
  }
  return {device.empty() ? "ext4" : "ext4 without a journal", !device.empty()};
}

// One round on fresh copies of `source` in the folder `round`, left there until the end, so
// that no round frees files before the next: the steps that only create files first, then,
// after a pause, the tool in place, and last the bare rewrite. On ext4 without a journal a
// step that creates files pays for the inodes freed in the minutes before it; so the tool in
// place, like cp -r, meets only what the earlier rounds freed, and the bare rewrite, which is
// only there to compare with, meets the tool's freed inodes as well.
void RunRound(const std::string& program, const fs::path& source, const fs::path& round,
              TBest& best) {
  const auto path = [&round](const char* name) { return (round / name).string(); };
  fs::create_directories(round);
  Settle();
  ReadTree(source);
  best.Copy.Keep(Run({"cp", "-r", source.string(), path("copy")}));
  Run({"sync"});  // the source stays in memory from here on: each next step reads it at once
  best.FlushedCopy.Keep(Shell("cp -r \"$0\" \"$1\" && sync -f \"$1\"", source, path("flushed")));
  Run({"sync"});
  best.Mirror.Keep(Run({program, "-r", "-o", path("mirror"), source.string()}));
  Run({"cp", "-r", source.string(), path("rewrite")});
  Run({"cp", "-r", source.string(), path("batch")});

  Settle();
  ReadTree(path("batch"));
  best.InPlace.Keep(Run({program, "-k", "-r", path("batch")}));
  Run({program, "-m", "-r", path("batch")});
  best.Unchanged.Keep(Run({program, "-m", "-r", path("batch")}));
  best.Find.Keep(Shell("find \"$0\" -type f | wc -l", path("batch")));
  Settle();
  ReadTree(path("rewrite"));
  best.Rewrite.Keep(ReplaceEveryFile(path("rewrite")));
}

// The tool's peak memory on one page of `bytes` bytes, compressed in place, as a multiple of
// the page.
double PeakMemoryRatio(const std::string& program, const fs::path& work, size_t bytes) {
  const fs::path page = work / "large.htm";
  const std::string text = quorvane::bench::GeneratePage(bytes, 7);
  std::ofstream(page, std::ios::binary) << text;
  const TRun run = RunChild({program, page.string()});
  fs::remove(page);
  return static_cast<double>(run.PeakKilobytes) * 1024.0 / static_cast<double>(text.size());
}

void PrintBase(const char* what, const TTimes& times) {
  std::printf("%-32s %7.3f s wall %7.3f s CPU\n", what, times.Wall, times.Cpu);
}

// A figure as multiples of `base` (and of `flushed`, when given), wall and CPU.
void Print(const char* what, const TTimes& times, const TTimes& base, const char* baseName,
           const TTimes* flushed, double bound) {
  std::printf("%-32s %7.3f s wall %7.3f s CPU  %5.2fx %s", what, times.Wall, times.Cpu,
              times.Wall / base.Wall, baseName);
  if (flushed != nullptr) {
    std::printf(" (%5.2fx with sync)", times.Wall / flushed->Wall);
  }
  std::printf("  CPU %5.2fx", times.Cpu / base.Cpu);
  if (bound > 0) {
    std::printf("  bound %gx", bound);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quorvane-batch-bench PATH-TO-QUORVANE [pages] [MiB] [rounds]\n");
    return 2;
  }
  const std::string program = fs::absolute(argv[1]).string();
  const int pages = argc > 2 ? std::atoi(argv[2]) : 1500;
  const size_t mib = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 36;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  const fs::path work =
      fs::temp_directory_path() / ("quorvane-batch-bench-" + std::to_string(getpid()));
  const fs::path source = work / "source";
  const size_t bytes = MakeTree(source, pages, mib << 20);
  std::printf("tree: %d pages, %.1f MiB; best of %d rounds\n", pages, bytes / 1048576.0, rounds);
  const TFileSystem fileSystem = FileSystemOf(work);
  std::printf("work folder: %s (%s)\n", work.c_str(), fileSystem.Name.c_str());
  if (fileSystem.Ext4WithoutJournal) {
    std::printf(
        "  ext4 without a journal keeps inodes freed in the last minutes from being used again:\n"
        "  every step after one that freed files pays for it: the rounds after the first, and\n"
        "  the bare rewrite, which comes after the tool in place. TMPDIR on a journaled file\n"
        "  system (ext4's default) gives the figures of a usual installation.\n");
  }
  std::fflush(stdout);

  const std::string config = (work / "config").string();
  const std::string state = (work / "state").string();
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  setenv("XDG_STATE_HOME", state.c_str(), 1);
  setenv("QUORVANE_UI", "console", 1);

  std::vector<TBest> results(static_cast<size_t>(std::max(rounds, 1)));
  TBest best;
  for (size_t i = 0; i < results.size(); ++i) {
    RunRound(program, source, work / ("round" + std::to_string(i + 1)), results[i]);
    KeepBest(best, results[i]);
  }
  const double peak = PeakMemoryRatio(program, work, 50'000'000);

  PrintBase("cp -r", best.Copy);
  PrintBase("cp -r, then sync", best.FlushedCopy);
  PrintBase("find DIR -type f | wc -l", best.Find);
  Print("rewrite only (no compression)", best.Rewrite, best.Copy, "cp -r", &best.FlushedCopy, 0);
  Print("quorvane -r -o OUT DIR", best.Mirror, best.Copy, "cp -r", &best.FlushedCopy, 2);
  Print("cp -r + quorvane -k -r (in place)", AddTimes(best.Copy, best.InPlace), best.Copy, "cp -r",
        &best.FlushedCopy, 4);
  Print("quorvane -m -r DIR (unchanged)", best.Unchanged, best.Find, "find", nullptr, 1.5);
  std::printf("%-32s %7.2fx the page  (bound 1.5x)\n", "peak memory, 50 MB page in place", peak);
  std::printf(
      "median of the rounds' own wall ratios: -o %.2fx cp -r, in place %.2fx cp -r, "
      "unchanged -m %.2fx find\n",
      MedianRatio(results, [](const TBest& r) { return r.Mirror.Wall / r.Copy.Wall; }),
      MedianRatio(results,
                  [](const TBest& r) { return (r.Copy.Wall + r.InPlace.Wall) / r.Copy.Wall; }),
      MedianRatio(results, [](const TBest& r) { return r.Unchanged.Wall / r.Find.Wall; }));
  if (std::getenv("QUORVANE_BENCH_KEEP") == nullptr) {
    fs::remove_all(work);
  }
  return 0;
}
