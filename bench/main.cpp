// stowr-bench: builds a large executable with many chunks and times the store's scan, listing,
// extract-all, add, remove-one and strip against the literal whole-file model and against what
// the disk allows at best, then checks the store's targets. Usage: stowr-bench [folder]
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/baselines.h"
#include "bench/big_file.h"
#include "bench/cli_memory.h"
#include "bench/listing.h"
#include "bench/peak.h"
#include "store/chunk_data.h"
#include "store/edit.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tests/model/literal_model.h"

namespace {

namespace fs = std::filesystem;
constexpr double kMiB = 1024.0 * 1024.0;

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds taken by the best of `runs` calls of work; `prepare` runs untimed before each.
double Best(int runs, const std::function<void()>& work, const std::function<void()>& prepare = [] {}) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    prepare();
    best = std::min(best, Seconds(work));
  }
  return best;
}

// The best times of two pieces of work run in turns, so that a burst of load from elsewhere on
// the machine hits both alike.
void BestOfTurns(int runs, const std::function<void()>& a, double& bestA, const std::function<void()>& b,
                 double& bestB, const std::function<void()>& prepare = [] {}) {
  bestA = bestB = 1e30;
  for (int i = 0; i < runs; ++i) {
    prepare();
    bestA = std::min(bestA, Seconds(a));
    prepare();
    bestB = std::min(bestB, Seconds(b));
  }
}

void Check(const Status& status, const char* what) {
  if (status.ok()) return;
  std::fprintf(stderr, "stowr-bench: %s: %s\n", what, status.message.c_str());
  std::exit(2);
}

struct Row {
  std::string name;
  double store = 0, limit = 0, literal = 0;
  bool extrapolated = false;
};

void Print(const Row& r) {
  auto cell = [](double v) { return v > 0 ? std::to_string(v).substr(0, 7) : std::string("-"); };
  std::string limitRatio = r.limit > 0 ? std::to_string(r.store / r.limit).substr(0, 5) + "x" : "-";
  std::string literalRatio = r.literal > 0 ? std::to_string(r.literal / r.store).substr(0, 7) + "x" : "-";
  std::printf("%-12s %10s %10s %12s %13s%s %14s\n", r.name.c_str(), cell(r.store).c_str(), cell(r.limit).c_str(),
              limitRatio.c_str(), cell(r.literal).c_str(), r.extrapolated ? "*" : " ", literalRatio.c_str());
}

// The folder for the large files: the one given, else /var/tmp or /work when it has room.
std::string PickFolder(int argc, char** argv, std::uint64_t need) {
  std::vector<std::string> candidates;
  if (argc > 1) candidates.push_back(argv[1]);
  else candidates = {"/var/tmp", "/work", "/tmp"};
  for (const std::string& c : candidates) {
    struct statvfs fsInfo {};
    if (statvfs(c.c_str(), &fsInfo) == 0 && fsInfo.f_bavail * fsInfo.f_frsize >= need)
      return c + "/stowr-bench-" + std::to_string(getpid());
  }
  std::fprintf(stderr, "stowr-bench: no folder with %.0f GiB free; name one on the command line\n",
               static_cast<double>(need) / (1 << 30));
  std::exit(2);
}

std::string ExtractName(const std::string& exe, const ChunkRecord& record) {
  std::string kind = KindText(record);
  for (char& c : kind) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return exe.substr(0, exe.size() - 3) + "tpak." + kind;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--peak") return RunPeakChild(argc, argv);

  BigFileShape shape;
  std::string folder = PickFolder(argc, argv, 6ull << 30);
  fs::create_directories(folder + "/out");
  std::string exe = folder + "/big.exe", copy = folder + "/copy.exe";
  BigFileFacts facts;
  std::printf("Building %s ...\n", exe.c_str());
  Check(MakeBigFile(exe, shape, facts), "making the file");
  std::printf("%.1f MiB: a %.1f MiB body and %llu chunks of %.1f MiB in all, the largest %.2f MiB\n",
              facts.size / kMiB, shape.bodyBytes / kMiB, static_cast<unsigned long long>(shape.chunks),
              facts.chunkBytes / kMiB, facts.largestChunk / kMiB);

  // Peak memory first, while this process is still small.
  std::uint64_t storePeak = 0, literalPeak = 0;
  std::string error;
  std::uint64_t storeGrowth = MeasurePeak("store '" + exe + "'", storePeak, error);
  MeasurePeak("literal '" + exe + "' 1", literalPeak, error);
  if (storePeak == 0) {
    std::fprintf(stderr, "stowr-bench: peak measurement: %s\n", error.c_str());
    return 2;
  }

  ChunkTable table;
  Check(ScanTailpack(exe, table), "scan");
  Check(ReadChunksOnce(exe, table), "warming the cache");
  const std::size_t literalChunks = 3;  // whole-file reads timed for the literal listing and extraction
  const double scale = static_cast<double>(table.size()) / literalChunks;
  auto fresh = [&] { fs::remove(copy); };
  std::vector<Row> rows;

  Row scan{"scan"};
  scan.store = Best(5, [&] { ChunkTable t; Check(ScanTailpack(exe, t), "scan"); });
  scan.literal = Best(1, [&] { ChunkTable t; literal::ScanTailpack(exe, t, nullptr); });
  rows.push_back(scan);

  Row listing{"listing"};
  BestOfTurns(
      9,
      [&] {
        ChunkTable t;
        std::vector<bool> binary;
        Check(ScanTailpackTypes(exe, t, binary), "scan");
      },
      listing.store, [&] { Check(ReadChunksOnce(exe, table), "reading chunks"); }, listing.limit);
  double readSome = Best(1, [&] {
    for (std::size_t i = 0; i < literalChunks; ++i) literal::IsBinaryChunk(literal::ReadChunk(exe, table[i]));
  });
  listing.literal = scan.literal + readSome * scale;
  listing.extrapolated = true;
  rows.push_back(listing);

  Row extract{"extract-all"};
  extract.store = Best(1, [&] {
    ChunkTable t;
    Check(ScanTailpack(exe, t), "scan");
    for (std::size_t i = t.size(); i-- > 0;) Check(ExtractChunk(exe, t[i], ExtractName(folder + "/out/big.exe", t[i])), "extract");
  });
  extract.limit = Best(1, [&] { Check(CopyChunksFlushed(exe, table, folder + "/out"), "copying chunks"); });
  double extractSome = Best(1, [&] {
    for (std::size_t i = table.size(); i-- > table.size() - literalChunks;)
      Check(WriteWholeFile(literal::ReadChunk(exe, table[i]), ExtractName(folder + "/out/lit.exe", table[i])), "extract");
  });
  extract.literal = scan.literal + extractSome * scale;
  extract.extrapolated = true;
  rows.push_back(extract);
  fs::remove_all(folder + "/out");

  std::string data(4 << 20, 'x');
  const std::size_t middle = table.size() / 2;
  auto copyOnce = [&] { Check(FlushedCopy(exe, copy), "copy"); };
  auto edit = [&](const char* name, const std::function<EditResult()>& compute,
                  const std::function<std::string()>& literalBytes) {
    Row row{name};
    BestOfTurns(
        3,
        [&] {
          EditResult e = compute();
          Check(e.status, name);
          Check(WriteWholeFile(e.content, copy), "write");
        },
        row.store, copyOnce, row.limit, fresh);
    row.literal = Best(1, [&] { Check(WriteWholeFile(literalBytes(), copy), "write"); }, fresh);
    rows.push_back(row);
  };
  edit("add", [&] { return AppendChunk(exe, "NEW", data); },
       [&] { return literal::AppendChunk(exe, "NEW", data, nullptr); });
  edit("remove-one", [&] { return CutChunk(exe, table, middle); },
       [&] { return literal::CutChunk(literal::ReadWholeFile(exe), table, middle); });
  edit("strip", [&] { return StripTailpack(exe); }, [&] { return literal::StripTailpack(exe, nullptr); });
  fs::remove(copy);

  // Peak memory of the command-line tool on a chunk, a file and a pipe of 2 GiB, once the file
  // above is no longer needed.
  fs::remove(exe);
  std::vector<CommandPeak> peaks;
  Check(MeasureCommandPeaks(folder, 2ull << 30, peaks), "measuring stowr-cli's memory");
  std::vector<ListingTime> listings;
  Check(MeasureListings(folder, {100000, 1000000}, listings), "timing stowr-cli list");

  std::printf("\nSeconds, warm page cache (the file was just written and read; caches are not dropped).\n");
  std::printf("limit: listing = reading every chunk's bytes once; extract-all = copying each chunk to a\n"
              "flushed file of its own; add, remove-one, strip = copying the whole file once and flushing\n"
              "the copy (cp, then sync). * = %zu of %zu chunks read by the literal model, scaled up linearly.\n\n",
              literalChunks, table.size());
  std::printf("%-12s %10s %10s %12s %14s %14s\n", "operation", "store", "limit", "store/limit", "literal",
              "literal/store");
  for (const Row& r : rows) Print(r);
  std::printf("\nPeak resident memory of a listing (own process): store %.1f MiB (grew by %.1f MiB), "
              "literal with one chunk read %.1f MiB\n", storePeak / kMiB, storeGrowth / kMiB, literalPeak / kMiB);

  constexpr std::uint64_t kCommandPeakTarget = 64ull << 20;
  std::printf("\nPeak resident memory of stowr-cli (/usr/bin/time), a 2 GiB chunk, file and pipe:\n");
  for (const CommandPeak& p : peaks)
    std::printf("  %-40s %7.1f MiB   target: under %.0f MiB\n", p.command.c_str(), p.peak / kMiB, kCommandPeakTarget / kMiB);

  std::printf("\nstowr-cli list against cat of the same file, many chunks of 10 bytes (best of 9, in turns):\n");
  for (const ListingTime& l : listings)
    std::printf("  %9llu chunks, %5.1f MiB: list %.4f s, cat %.4f s: %.2fx%s\n",
                static_cast<unsigned long long>(l.chunks), l.bytes / kMiB, l.list, l.cat, l.list / l.cat,
                l.chunks == 1000000 ? "   target: at most 3x" : "");

  struct Target { std::string what; bool met; };
  std::vector<Target> targets = {
      {"listing within 1.5x of reading the chunk bytes once", listing.store <= 1.5 * listing.limit},
      {"listing at least 50x faster than the literal model", listing.literal >= 50 * listing.store},
      {"add within 1.5x of the flushed copy", rows[3].store <= 1.5 * rows[3].limit},
      {"remove-one within 1.5x of the flushed copy", rows[4].store <= 1.5 * rows[4].limit},
      {"strip within 1.5x of the flushed copy", rows[5].store <= 1.5 * rows[5].limit},
      {"listing peak memory at most the largest chunk + 32 MiB", storePeak <= facts.largestChunk + (32ull << 20)},
      {"extract-all within 1.3x of copying each chunk to a flushed file", extract.store <= 1.3 * extract.limit},
  };
  for (const CommandPeak& p : peaks)
    targets.push_back({"stowr-cli " + p.command + " under 64 MiB of memory", p.peak < kCommandPeakTarget});
  for (const ListingTime& l : listings)
    if (l.chunks == 1000000) targets.push_back({"stowr-cli list of 1,000,000 chunks at most 3x cat", l.list <= 3 * l.cat});
  bool all = true;
  std::printf("\n");
  for (const Target& t : targets) {
    std::printf("%s  %s\n", t.met ? "met   " : "MISSED", t.what.c_str());
    all = all && t.met;
  }
  fs::remove_all(folder);
  return all ? 0 : 1;
}
