// Prints the engine's figures: throughput per page size, linearity, speed-up over the literal
// algorithm, memcpy as the floor, peak memory; or compresses a corpus of pages.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "LiteralEngine.h"
#include "PageGenerator.h"
#include "engine/CompressionPass.h"

namespace {

using namespace quorvane;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

struct TServices {
  TNullProgress progress;
  TBuiltinTexts texts;
  TFileSystemIncludes files;
  TEngineServices services{progress, texts, files};
};

double TimeEngine(const std::string& page, int runs, const TPreparedTags& tags) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    TServices s;
    std::string text = page;
    TCompressionStats stats;
    const auto start = Clock::now();
    CompressText(text, "page.htm", tags, stats, s.services);
    best = std::min(best, Seconds(start));
  }
  return best;
}

double TimeLiteral(const std::string& page, const TTagsCommaList& tags) {
  TServices s;
  std::string text = page;
  TCompressionStats stats;
  const auto start = Clock::now();
  oracle::LiteralCompressText(text, "page.htm", tags, stats, s.services);
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

// Run in a fresh process (--measure-peak SIZE): compresses one page and prints the peak of
// resident memory above what the process held before the page existed, page included.
int MeasurePeak(size_t size) {
  const TTagsCommaList tags = TTagsCommaList::Default();
  const long before = ProcStatusKb("VmRSS:");
  std::string page = bench::GeneratePage(size, 7);
  std::ofstream("/proc/self/clear_refs") << "5";  // the page's generation does not count
  TServices s;
  TCompressionStats stats;
  CompressText(page, "page.htm", tags, stats, s.services);
  std::printf("%.1f\n", (ProcStatusKb("VmHWM:") - before) / 1024.0);
  return 0;
}

double PeakMemoryMb(size_t size) {
  const std::string command =
      "/proc/" + std::to_string(getpid()) + "/exe --measure-peak " + std::to_string(size);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) {
    return -1;
  }
  double mb = -1;
  if (std::fscanf(child, "%lf", &mb) != 1) {
    mb = -1;
  }
  pclose(child);
  return mb;
}

constexpr double kMb = 1024.0 * 1024.0;

int RunFigures(bool quick) {
  const TTagsCommaList tags = TTagsCommaList::Default();
  const TPreparedTags prepared(tags);  // once, as the program does for all its documents
  const std::vector<size_t> sizes =
      quick ? std::vector<size_t>{100 << 10, 1 << 20}
            : std::vector<size_t>{100 << 10, 1 << 20, 10 << 20, 50 << 20};
  std::vector<double> times;
  std::printf("%-10s %12s %12s %12s %10s\n", "page", "engine s", "engine MB/s", "memcpy MB/s",
              "saved %");
  for (const size_t size : sizes) {
    const std::string page = bench::GeneratePage(size, 7);
    const int runs = size >= (10u << 20) ? 3 : 10;
    const double t = TimeEngine(page, runs, prepared);
    const double copy = TimeMemcpy(page, runs);
    TServices s;
    std::string text = page;
    TCompressionStats stats;
    CompressText(text, "page.htm", tags, stats, s.services);
    times.push_back(t);
    std::printf("%-10s %12.4f %12.1f %12.1f %10d\n", (std::to_string(size >> 10) + " KiB").c_str(),
                t, page.size() / kMb / t, page.size() / kMb / copy, stats.Percent);
  }
  int failures = 0;
  if (times.size() >= 3) {
    const double ratio = times[2] / times[1];
    std::printf("time 10 MiB / time 1 MiB: %.2f (bound: below 12)\n", ratio);
    failures += ratio >= 12;
  }
  for (size_t i = 0; i < std::min<size_t>(2, sizes.size()); ++i) {
    if (quick && i == 1) {
      break;
    }
    const std::string page = bench::GeneratePage(sizes[i], 7);
    const double literal = TimeLiteral(page, tags);
    const double speedup = literal / times[i];
    std::printf("literal algorithm on %zu KiB: %.3f s, speed-up %.0fx%s\n", sizes[i] >> 10, literal,
                speedup, i == 1 ? " (bound: at least 20x)" : "");
    failures += i == 1 && speedup < 20;
  }
  const size_t peakSize = sizes.back();
  const double peak = PeakMemoryMb(peakSize);
  const double factor = peak / (peakSize / kMb);
  std::printf("peak memory for the %zu MiB page: %.1f MiB, %.2fx the page (bound: below 4x)\n",
              peakSize >> 20, peak, factor);
  failures += factor >= 4;
  std::printf("%s\n", failures == 0 ? "all bounds met" : "BOUNDS MISSED");
  return failures == 0 ? 0 : 1;
}

bool IsPage(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
  return ext == ".htm" || ext == ".html";
}

int RunCorpus(const std::filesystem::path& dir, const std::filesystem::path& outDir) {
  namespace fs = std::filesystem;
  const TPreparedTags tags(TTagsCommaList::Default());
  std::vector<fs::path> pages;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(dir, error); !error && it != fs::end(it);
       it.increment(error)) {
    if (it->is_regular_file() && IsPage(it->path())) {
      pages.push_back(it->path());
    }
  }
  if (error) {
    std::cerr << "cannot read " << dir << ": " << error.message() << "\n";
    return 2;
  }
  std::sort(pages.begin(), pages.end());
  size_t bytesIn = 0;
  size_t bytesOut = 0;
  double seconds = 0;
  for (const fs::path& path : pages) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    bytesIn += text.size();
    TServices s;
    TCompressionStats stats;
    const auto start = Clock::now();
    const bool stopped = CompressText(text, path.string(), tags, stats, s.services);
    seconds += Seconds(start);
    if (stopped) {
      std::cerr << path.string() << ": unterminated include directive, left as it is\n";
    }
    bytesOut += text.size();
    std::printf("%-50s %8d %% saved\n", fs::relative(path, dir).string().c_str(), stats.Percent);
    if (!outDir.empty()) {
      const fs::path target = outDir / fs::relative(path, dir);
      fs::create_directories(target.parent_path());
      std::ofstream(target, std::ios::binary) << text;
    }
  }
  std::printf("files: %zu  bytes in: %zu  bytes out: %zu  (%.1f %% saved)  %.1f MB/s\n",
              pages.size(), bytesIn, bytesOut,
              bytesIn ? 100.0 * (bytesIn - bytesOut) / bytesIn : 0.0,
              seconds > 0 ? bytesIn / kMb / seconds : 0.0);
  if (!outDir.empty()) {
    std::printf("compressed copies written under %s\n", outDir.string().c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string corpus;
  std::string out;
  bool quick = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--corpus" && i + 1 < argc) {
      corpus = argv[++i];
    } else if (arg == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (arg == "--measure-peak" && i + 1 < argc) {
      return MeasurePeak(std::stoul(argv[++i]));
    } else if (arg == "--quick") {
      quick = true;
    } else {
      std::cerr << "usage: quorvane-bench [--quick] | --corpus DIR [--out OUTDIR]\n";
      return 2;
    }
  }
  if (!corpus.empty()) {
    return RunCorpus(corpus, out);
  }
  return RunFigures(quick);
}
