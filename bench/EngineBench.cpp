// Prints the engine's figures: throughput per page size under both rules for protected
// segments, linearity, speed-up over the literal algorithm, memcpy as the floor, peak memory,
// and a deep include tree; or compresses a corpus of pages, or holds the engine's output for a
// corpus against the literal algorithm's.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "LiteralEngine.h"
#include "PageGenerator.h"
#include "engine/CompressionPass.h"
#include "engine/Directives.h"
#include "batch/IncludeFileReader.h"

namespace {

using namespace quorvane;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kMb = 1e6;  // the benchmark's MB: 10^6 bytes

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The processor time this process has used, in seconds.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best of several runs, by the wall clock and by processor time.
struct TTimes {
  double Wall = 1e30;
  double Cpu = 1e30;
};

const char* RuleName(TProtection protection) {
  return protection == TProtection::StrictPre ? "strict <PRE>" : "protected elements";
}

struct TServices {
  explicit TServices(const std::string& fileName) : files(fileName) {}
  TNullProgress progress;
  TBuiltinTexts texts;
  TIncludeFileReader files;
  TEngineServices services{progress, texts, files};
};

// One page through the engine, or through the literal algorithm.
TStopReason Compress(std::string& text, const std::string& fileName, const TPreparedTags& tags,
                     TProtection protection, bool literal, TCompressionStats& stats) {
  TServices s(fileName);
  return literal ? oracle::LiteralCompressText(text, fileName, tags.Tags(), protection, stats,
                                               s.services)
                 : CompressText(text, fileName, tags, protection, stats, s.services);
}

TTimes TimeEngine(const std::string& page, int runs, const TPreparedTags& tags,
                  TProtection protection, TCompressionStats& stats) {
  TTimes best;
  for (int i = 0; i < runs; ++i) {
    std::string text = page;  // copied outside the time: the engine works on it in place
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    Compress(text, "page.htm", tags, protection, false, stats);
    best.Wall = std::min(best.Wall, Seconds(start));
    best.Cpu = std::min(best.Cpu, CpuSeconds() - cpu);
  }
  return best;
}

double TimeLiteral(const std::string& page, const TPreparedTags& tags) {
  std::string text = page;
  TCompressionStats stats;
  const auto start = Clock::now();
  Compress(text, "page.htm", tags, TProtection::Elements, true, stats);
  return Seconds(start);
}

double TimeMemcpy(const std::string& page, int runs) {
  std::string target(page.size(), '\0');
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    std::memcpy(target.data(), page.data(), page.size());
    asm volatile("" : : "r"(target.data()) : "memory");
    best = std::min(best, Seconds(start));
  }
  return best;
}

long ProcStatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) {
      return std::atol(line.c_str() + std::strlen(key));
    }
  }
  return -1;
}

// The peak of resident memory since the last reset, above `before`, in MB.
double PeakSinceMb(long before) {
  return static_cast<double>(ProcStatusKb("VmHWM:") - before) * 1024.0 / kMb;
}

void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Run in a fresh process (--measure-peak SIZE): compresses one page and prints the peak of
// resident memory above what the process held before the page existed, page included.
int MeasurePeak(size_t size) {
  const TPreparedTags tags(TTagsCommaList::Default());
  const long before = ProcStatusKb("VmRSS:");
  std::string page = bench::GeneratePage(size, 7);
  ResetPeak();  // the page's generation does not count
  TCompressionStats stats;
  Compress(page, "page.htm", tags, TProtection::Elements, false, stats);
  std::printf("%.1f\n", PeakSinceMb(before));
  return 0;
}

// Runs this program again with `arguments` and reads the number it prints.
double RunChild(const std::string& arguments) {
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " + arguments;
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) {
    return -1;
  }
  double value = -1;
  if (std::fscanf(child, "%lf", &value) != 1) {
    value = -1;
  }
  pclose(child);
  return value;
}

// The include tree written to a fresh directory; removed with it.
class TIncludeTreeDir {
 public:
  TIncludeTreeDir() {
    std::string pattern = (fs::temp_directory_path() / "quorvane-tree-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      dir_ = pattern;
      for (const auto& [name, content] : bench::IncludeTree()) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
        bytes_ += content.size();
      }
    }
  }
  ~TIncludeTreeDir() {
    std::error_code error;
    fs::remove_all(dir_, error);
  }
  std::string Top() const { return (dir_ / "f01.htm").string(); }
  size_t Bytes() const { return bytes_; }
  std::string TopText() const {
    std::ifstream in(Top(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

 private:
  fs::path dir_;
  size_t bytes_ = 0;
};

struct TTreeRun {
  TStopReason stop;
  size_t size;
  double seconds;
};

// Expands the tree's first file, or (whole) compresses it.
TTreeRun RunTree(const TIncludeTreeDir& tree, bool whole) {
  std::string text = tree.TopText();
  TServices s(tree.Top());
  const auto start = Clock::now();
  TStopReason stop;
  if (whole) {
    TCompressionStats stats;
    stop = CompressText(text, tree.Top(), TTagsCommaList::Default(), TProtection::Elements, stats,
                        s.services);
  } else {
    bool modified = false;
    stop = ExpandDirectives(text, tree.Top(), modified, s.services);
  }
  return {stop, text.size(), Seconds(start)};
}

// Run in a fresh process (--measure-tree-peak expand|compress).
int MeasureTreePeak(bool whole) {
  const TIncludeTreeDir tree;
  const long before = ProcStatusKb("VmRSS:");
  ResetPeak();
  RunTree(tree, whole);
  std::printf("%.1f\n", PeakSinceMb(before));
  return 0;
}

int ReportIncludeTree() {
  const TIncludeTreeDir tree;
  const TTreeRun expand = RunTree(tree, false);
  const TTreeRun whole = RunTree(tree, true);
  const double expandPeak = RunChild("--measure-tree-peak expand");
  const double wholePeak = RunChild("--measure-tree-peak compress");
  std::printf("include tree: 12 files, %zu bytes in all, expand to %.1f MB\n", tree.Bytes(),
              expand.size / 1e6);
  std::printf("  expansion: %.3f s, peak %.1f MB (bound: under 1 s)\n", expand.seconds,
              expandPeak);
  std::printf("  whole pass: %.3f s, peak %.1f MB, %.1f MB out\n", whole.seconds, wholePeak,
              whole.size / 1e6);
  const bool met = expand.stop == TStopReason::None && expand.seconds < 1.0;
  if (expand.stop != TStopReason::None) {
    std::printf("  the expansion stopped early\n");
  }
  return met ? 0 : 1;
}

std::string SizeName(size_t size) {
  char name[32];
  std::snprintf(name, sizeof name, size >= 1000000 ? "%.0f MB" : "%.0f kB",
                size >= 1000000 ? size / 1e6 : size / 1e3);
  return name;
}

// The bound every page of a megabyte or more is held to, by the wall clock and by processor
// time.
constexpr double kEngineBoundMbPerSecond = 1000;

int RunFigures(bool quick) {
  const TTagsCommaList tags = TTagsCommaList::Default();
  const TPreparedTags prepared(tags);  // once, as the program does for all its documents
  const std::vector<size_t> sizes = quick ? std::vector<size_t>{100000, 1000000}
                                          : std::vector<size_t>{100000, 1000000, 10000000, 50000000};
  std::vector<double> times;
  int failures = 0;
  std::printf("MB = 10^6 bytes; each time the best of several runs\n");
  std::printf("%-8s %10s %10s %10s %12s %12s %8s %8s\n", "page", "engine s", "MB/s", "cpu MB/s",
              "strict MB/s", "memcpy MB/s", "saved %", "strict %");
  for (const size_t size : sizes) {
    const std::string page = bench::GeneratePage(size, 7);
    const int runs = size >= 50000000 ? 5 : 30;  // many, on a machine shared with others
    TCompressionStats elements;
    TCompressionStats strict;
    const TTimes t = TimeEngine(page, runs, prepared, TProtection::Elements, elements);
    const TTimes tStrict = TimeEngine(page, runs, prepared, TProtection::StrictPre, strict);
    const double copy = TimeMemcpy(page, runs);
    const double mb = page.size() / kMb;
    times.push_back(t.Wall);
    std::printf("%-8s %10.4f %10.1f %10.1f %12.1f %12.1f %8d %8d\n", SizeName(size).c_str(),
                t.Wall, mb / t.Wall, mb / t.Cpu, mb / tStrict.Wall, mb / copy, elements.Percent,
                strict.Percent);
    if (size == 1000000 || size == 10000000) {
      const bool met = mb / t.Wall >= kEngineBoundMbPerSecond && mb / t.Cpu >= kEngineBoundMbPerSecond;
      std::printf("  engine on %s: %.0f MB/s wall, %.0f MB/s cpu, memcpy %.0f MB/s "
                  "(bound: at least %.0f MB/s)%s\n",
                  SizeName(size).c_str(), mb / t.Wall, mb / t.Cpu, mb / copy,
                  kEngineBoundMbPerSecond,
                  met ? "" : quick ? " missed, not held in a quick run" : " MISSED");
      failures += !met && !quick;  // a quick run only shows that the benchmark works
    }
  }
  if (times.size() >= 3) {
    const double ratio = times[2] / times[1];
    std::printf("time 10 MB / time 1 MB: %.2f (bound: below 12)\n", ratio);
    failures += ratio >= 12;
  }
  for (size_t i = 0; i < std::min<size_t>(2, sizes.size()); ++i) {
    if (quick && i == 1) {
      break;
    }
    const std::string page = bench::GeneratePage(sizes[i], 7);
    const double literal = TimeLiteral(page, prepared);
    const double speedup = literal / times[i];
    std::printf("literal algorithm on %s: %.3f s, speed-up %.0fx%s\n", SizeName(sizes[i]).c_str(),
                literal, speedup, i == 1 ? " (bound: at least 20x)" : "");
    failures += i == 1 && speedup < 20;
  }
  const size_t peakSize = sizes.back();
  const double peak = RunChild("--measure-peak " + std::to_string(peakSize));
  const double factor = peak / (peakSize / kMb);
  std::printf("peak memory for the %s page: %.1f MB, %.2fx the page (bound: at most 1.5x)\n",
              SizeName(peakSize).c_str(), peak, factor);
  failures += factor > 1.5;
  if (!quick) {
    failures += ReportIncludeTree();
  }
  std::printf("%s\n", failures == 0 ? "all bounds met" : "BOUNDS MISSED");
  return failures == 0 ? 0 : 1;
}

struct TPage {
  std::string Name;  // relative to the corpus
  std::string FileName;
  std::string Text;
};

bool IsPage(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
  return ext == ".htm" || ext == ".html";
}

std::optional<std::vector<TPage>> ReadCorpus(const fs::path& dir) {
  std::vector<fs::path> paths;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(dir, error); !error && it != fs::end(it);
       it.increment(error)) {
    if (it->is_regular_file() && IsPage(it->path())) {
      paths.push_back(it->path());
    }
  }
  if (error) {
    std::cerr << "cannot read " << dir << ": " << error.message() << "\n";
    return std::nullopt;
  }
  std::sort(paths.begin(), paths.end());
  std::vector<TPage> pages;
  for (const fs::path& path : paths) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    pages.push_back({fs::relative(path, dir).string(), path.string(), content.str()});
  }
  return pages;
}

// Pages of many sizes, with every kind of protected element, in memory.
std::vector<TPage> GeneratedPages(int count) {
  std::vector<TPage> pages;
  for (int i = 0; i < count; ++i) {
    const std::string name = "page" + std::to_string(i) + ".htm";
    pages.push_back({name, name, bench::GeneratePage(2000 + (i * 7919) % 60000, i + 1)});
  }
  return pages;
}

const char* StopText(TStopReason stop) {
  switch (stop) {
    case TStopReason::Unterminated:
      return "an include directive has no closing tag";
    case TStopReason::TooDeep:
      return "include directives nest too deep";
    case TStopReason::TooLarge:
      return "its includes would make it too large";
    default:
      return "cancelled";
  }
}

// Bytes read, after the includes (what the savings are measured against) and written.
struct TTotals {
  size_t In = 0;
  size_t Expanded = 0;
  size_t Out = 0;
  void Add(size_t in, const std::string& out, TStopReason stop, const TCompressionStats& stats) {
    In += in;
    Out += out.size();
    Expanded += out.size() + (stop == TStopReason::None ? static_cast<size_t>(stats.Saved) : 0);
  }
  double SavedPercent() const { return Expanded ? 100.0 * (Expanded - Out) / Expanded : 0.0; }
  void Print(const char* what, TProtection protection, size_t files) const {
    std::printf(
        "%s, %s: %zu files, %zu bytes read, %zu after includes, %zu out: %zu saved "
        "(%.2f %%)",
        what, RuleName(protection), files, In, Expanded, Out, Expanded - Out, SavedPercent());
  }
};

int RunCorpus(const std::vector<TPage>& pages, const fs::path& outDir, TProtection protection,
              bool literal) {
  const TPreparedTags tags(TTagsCommaList::Default());
  TTotals totals;
  double seconds = 0;
  for (const TPage& page : pages) {
    std::string text = page.Text;
    TCompressionStats stats;
    const auto start = Clock::now();
    const TStopReason stop = Compress(text, page.FileName, tags, protection, literal, stats);
    seconds += Seconds(start);
    if (stop != TStopReason::None) {
      std::cerr << page.FileName << ": left as it is: " << StopText(stop) << "\n";
    }
    totals.Add(page.Text.size(), text, stop, stats);
    std::printf("%-50s %8d %% saved\n", page.Name.c_str(), stats.Percent);
    if (!outDir.empty()) {
      const fs::path target = outDir / page.Name;
      fs::create_directories(target.parent_path());
      std::ofstream(target, std::ios::binary) << text;
    }
  }
  totals.Print(literal ? "literal algorithm" : "engine", protection, pages.size());
  std::printf(", %.1f MB/s\n", seconds > 0 ? totals.Expanded / kMb / seconds : 0.0);
  if (!outDir.empty()) {
    std::printf("compressed copies written under %s\n", outDir.string().c_str());
  }
  return 0;
}

// Holds the engine's result for every page against the literal algorithm's, under both rules.
int CheckCorpus(const std::vector<TPage>& pages) {
  const TPreparedTags tags(TTagsCommaList::Default());
  int differences = 0;
  for (const TProtection protection : {TProtection::Elements, TProtection::StrictPre}) {
    TTotals totals;
    for (const TPage& page : pages) {
      std::string engine = page.Text;
      std::string literal = page.Text;
      TCompressionStats engineStats;
      TCompressionStats literalStats;
      const TStopReason engineStop =
          Compress(engine, page.FileName, tags, protection, false, engineStats);
      const TStopReason literalStop =
          Compress(literal, page.FileName, tags, protection, true, literalStats);
      if (engine != literal || engineStop != literalStop) {
        const auto at = std::mismatch(engine.begin(), engine.end(), literal.begin(), literal.end());
        std::printf("DIFFERENT (%s): %s, from byte %zu\n", RuleName(protection), page.Name.c_str(),
                    static_cast<size_t>(at.first - engine.begin()));
        ++differences;
      }
      totals.Add(page.Text.size(), engine, engineStop, engineStats);
    }
    totals.Print("engine", protection, pages.size());
    std::printf("\n");
  }
  std::printf("%s\n", differences == 0 ? "engine and literal algorithm agree"
                                       : "ENGINE AND LITERAL ALGORITHM DIFFER");
  return differences == 0 ? 0 : 1;
}

int WriteGenerated(const fs::path& dir, int count) {
  int index = 0;
  for (const TPage& page : GeneratedPages(count)) {
    const fs::path target = dir / fs::path("part" + std::to_string(index++ % 7)) / page.Name;
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << page.Text;
  }
  std::printf("%d generated pages written under %s\n", count, dir.string().c_str());
  return 0;
}

// The engine alone on one generated page, for a profiler: prints the best wall and processor
// times.
int RunOnePage(size_t size, int runs) {
  const TPreparedTags prepared(TTagsCommaList::Default());
  const std::string page = bench::GeneratePage(size, 7);
  TCompressionStats stats;
  const TTimes t = TimeEngine(page, runs, prepared, TProtection::Elements, stats);
  const double mb = page.size() / kMb;
  std::printf("%s: %.1f MB/s wall, %.1f MB/s cpu\n", SizeName(size).c_str(), mb / t.Wall,
              mb / t.Cpu);
  return 0;
}

constexpr char kUsage[] =
    "usage: quorvane-bench [--quick | --include-tree]\n"
    "       quorvane-bench --corpus DIR [--out OUTDIR] [--strict-pre] [--literal]\n"
    "       quorvane-bench --check [--corpus DIR]   (without DIR: generated pages)\n"
    "       quorvane-bench --generate DIR [COUNT]\n"
    "       quorvane-bench --page SIZE [RUNS]   (the engine alone on one page)\n";

}  // namespace

int main(int argc, char** argv) {
  std::string corpus;
  std::string out;
  bool quick = false;
  bool check = false;
  bool literal = false;
  TProtection protection = TProtection::Elements;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--corpus" && i + 1 < argc) {
      corpus = argv[++i];
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (arg == "--strict-pre") {
      protection = TProtection::StrictPre;
    } else if (arg == "--literal") {
      literal = true;
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--generate" && i + 1 < argc) {
      const std::string dir = argv[++i];
      return WriteGenerated(dir, i + 1 < argc ? std::atoi(argv[++i]) : 200);
    } else if (arg == "--measure-peak" && i + 1 < argc) {
      return MeasurePeak(std::stoul(argv[++i]));
    } else if (arg == "--measure-tree-peak" && i + 1 < argc) {
      return MeasureTreePeak(std::string(argv[++i]) == "compress");
    } else if (arg == "--page" && i + 1 < argc) {
      const size_t size = std::stoul(argv[++i]);
      return RunOnePage(size, i + 1 < argc ? std::atoi(argv[++i]) : 30);
    } else if (arg == "--include-tree") {
      return ReportIncludeTree();
    } else if (arg == "--quick") {
      quick = true;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (check || !corpus.empty()) {
    const auto pages = corpus.empty() ? std::optional(GeneratedPages(60)) : ReadCorpus(corpus);
    if (!pages) {
      return 2;
    }
    return check ? CheckCorpus(*pages) : RunCorpus(*pages, out, protection, literal);
  }
  return RunFigures(quick);
}
