// Times the batch tool as a process over a generated tree of pages, next to cp -r of the same
// tree, and a second run with -m that finds nothing to do.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PageGenerator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Run(const std::vector<std::string>& command) {
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
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", command[0].c_str());
    std::exit(1);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What any safe in-place rewrite of a tree costs before it compresses anything: every file is
// read, written to a new file beside it, renamed over the original, and the file system is
// flushed at the end, as the batch tool does.
double ReplaceEveryFile(const fs::path& root) {
  const auto start = Clock::now();
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
  return std::chrono::duration<double>(Clock::now() - start).count();
}

size_t MakeTree(const fs::path& root, int pages, size_t totalBytes) {
  size_t bytes = 0;
  for (int i = 0; i < pages; ++i) {
    const fs::path dir =
        root / ("section" + std::to_string(i % 10)) / ("part" + std::to_string((i / 10) % 20));
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quorvane-batch-bench PATH-TO-QUORVANE [pages] [MiB]\n");
    return 2;
  }
  const std::string program = fs::absolute(argv[1]).string();
  const int pages = argc > 2 ? std::atoi(argv[2]) : 2000;
  const size_t mib = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 50;
  const fs::path work =
      fs::temp_directory_path() / ("quorvane-batch-bench-" + std::to_string(getpid()));
  const fs::path source = work / "source";
  const size_t bytes = MakeTree(source, pages, mib << 20);
  std::printf("tree: %d pages, %.1f MiB\n", pages, bytes / 1048576.0);

  const std::string config = (work / "config").string();
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  setenv("QUORVANE_UI", "console", 1);

  std::fflush(stdout);
  // Best of three rounds on fresh copies; each round copies the tree once plainly and once
  // flushed to disk (the batch tool flushes what it wrote before it ends, so that is the like
  // for like), then compresses a copy and runs -m again on the result.
  double copy = 1e9;
  double durableCopy = 1e9;
  double floor = 1e9;
  double first = 1e9;
  double second = 1e9;
  double mirrored = 1e9;
  for (int round = 0; round < 3; ++round) {
    const std::string plain = (work / ("copy" + std::to_string(round))).string();
    const std::string durable = (work / ("durable" + std::to_string(round))).string();
    const std::string batch = (work / ("batch" + std::to_string(round))).string();
    Run({"sync"});
    copy = std::min(copy, Run({"cp", "-r", source.string(), plain}));
    Run({"sync"});
    durableCopy = std::min(durableCopy, Run({"sh", "-c", "cp -r \"$0\" \"$1\" && sync -f \"$1\"",
                                             source.string(), durable}));
    Run({"cp", "-r", source.string(), batch});
    Run({"sync"});
    floor = std::min(floor, ReplaceEveryFile(batch));
    fs::remove_all(batch);
    Run({"cp", "-r", source.string(), batch});
    Run({"sync"});
    first = std::min(first, Run({program, "-m", "-r", batch + "/*.htm"}));
    second = std::min(second, Run({program, "-m", "-r", batch + "/*.htm"}));
    const std::string mirror = (work / ("mirror" + std::to_string(round))).string();
    Run({"sync"});
    mirrored = std::min(mirrored, Run({program, "-r", "-o", mirror, source.string()}));
    fs::remove_all(mirror);
    fs::remove_all(plain);
    fs::remove_all(durable);
    fs::remove_all(batch);
  }
  std::printf("cp -r:                       %8.3f s\n", copy);
  std::printf("cp -r, then sync:            %8.3f s\n", durableCopy);
  std::printf("rewrite only (no compression): %6.3f s  %.2fx cp -r with sync\n", floor,
              floor / durableCopy);
  std::printf(
      "quorvane -m -r (compress):   %8.3f s  %.2fx cp -r, %.2fx cp -r with sync "
      "(bound: at most 4x), %.2fx the rewrite alone\n",
      first, first / copy, first / durableCopy, first / floor);
  std::printf("quorvane -m -r (nothing):    %8.3f s  (%.1fx faster than the first run)\n", second,
              first / second);
  std::printf("quorvane -r -o DIR (mirror): %8.3f s  %.2fx cp -r with sync, %.2fx in place\n",
              mirrored, mirrored / durableCopy, mirrored / first);
  if (std::getenv("QUORVANE_BENCH_KEEP") == nullptr) {
    fs::remove_all(work);
  }
  return first / durableCopy <= 4 ? 0 : 1;
}
