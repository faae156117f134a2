// Throughput of normalising and parsing a large result page, against a plain copy of the file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <string>

#include "poller/parse/result_page.h"

namespace {

constexpr char kPage[] = "bench_page.html";
constexpr char kCopy[] = "bench_copy.html";

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A RawLinks page of the given number of items, written row by row (no page-sized buffer).
long WritePage(int items) {
  std::FILE* out = std::fopen(kPage, "w");
  std::fputs("<html>\n<head><title>rUre Search: pocket watch</title>\n<script language=\"JavaScript\">\n"
             "function doFormSubmit(form) { form.submit(); }\n</script></head>\n<body>\n"
             "<!-- rUreCacheStart -->\n<table border=\"0\" cellpadding=\"3\" cellspacing=\"1\" width=\"100%\">\n",
             out);
  for (int i = 0; i < items; ++i) {
    const char* title = i % 7 == 0 ? "Grandpa&#39;s silver pocket watch chain &amp; fob &#8211; boxed"
                                   : "Elgin 18s hunter case pocket watch, 15 jewels, running";
    char price[32];
    std::snprintf(price, sizeof price, i % 13 == 0 ? "$1,%03d.56" : "$%d.99", i % 1000);
    char bids[16];
    std::snprintf(bids, sizeof bids, "%d", i % 40);
    char left[32];
    std::snprintf(left, sizeof left, "%dd %02dh %02dm", i % 7, i % 24, i % 60);
    std::fprintf(out,
                 "<tr bgcolor=\"#ffffff\">\n"
                 "<td align=\"center\" valign=\"top\"><a href=\"http://cgi.rure.com/aw-cgi/rUreISAPI.dll?ViewItem&item=%d\">"
                 "<img src=\"http://pics.rure.com/aw/pics/lst/_p___.gif\" width=\"16\" height=\"15\" border=\"0\" alt=\"Picture\"></a></td>\n"
                 "<td valign=\"top\"><a href=\"http://cgi.rure.com/aw-cgi/rUreISAPI.dll?ViewItem&item=%d\"><font size=\"3\">%s</font></a></td>\n"
                 "<td align=\"right\" valign=\"top\"><font size=\"3\"><b>%s</b></font></td>\n"
                 "<td align=\"center\" valign=\"top\"><font size=\"3\">%s</font></td>\n"
                 "<td align=\"right\" valign=\"top\"><font size=\"3\">%s</font></td>\n</tr>\n",
                 1043000000 + i, 1043000000 + i, title, price, i % 5 == 0 ? "-" : bids, i % 11 == 0 ? "<1m" : left);
  }
  std::fputs("</table>\n<!-- rUreCacheEnd -->\n</body>\n</html>\n", out);
  const long size = std::ftell(out);
  std::fclose(out);
  return size;
}

void NormaliseAndParse(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  const long size = WritePage(items);
  for (auto _ : state) {
    ResultPage page;
    page.stream = std::fopen(kPage, "r");  // read, not replaced, as a saved page in test mode
    NormaliseResultPage(page);
    LocateResultList(page);
    AuctionItem item{};
    int found = 0;
    while (!PageEnded(page)) {
      item.id[0] = '\0';
      ParseNextItem(page, item);
      if (item.id[0]) ++found;
    }
    ClosePage(page);
    if (found != items) state.SkipWithError("wrong number of items");
  }
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}

// The I/O floor: the same file through the same kind of stream, copied in blocks.
void CopyFloor(benchmark::State& state) {
  const long size = WritePage(static_cast<int>(state.range(0)));
  static char buffer[1 << 16];
  for (auto _ : state) {
    std::FILE* in = std::fopen(kPage, "r");
    std::FILE* out = std::fopen(kCopy, "w");
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, got, out);
    std::fclose(in);
    std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// For comparison: the same copy a line at a time, as the normaliser reads and writes.
void LineCopy(benchmark::State& state) {
  const long size = WritePage(static_cast<int>(state.range(0)));
  char line[kPageWorkingLineSize];
  for (auto _ : state) {
    std::FILE* in = std::fopen(kPage, "r");
    std::FILE* out = std::fopen(kCopy, "w");
    while (std::fgets(line, sizeof line, in)) std::fputs(line, out);
    std::fclose(in);
    std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

BENCHMARK(CopyFloor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(LineCopy)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(NormaliseAndParse)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Prints the console table, then each page size's MB/s and the parser's ratio to the floor.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const std::string size = name.substr(name.find('/') + 1);
      const double megabytesPerSecond = run.counters.at("bytes_per_second").value / 1e6;
      if (name.rfind("CopyFloor", 0) == 0) floor_[size] = megabytesPerSecond;
      if (name.rfind("LineCopy", 0) == 0) lineCopy_[size] = megabytesPerSecond;
      if (name.rfind("NormaliseAndParse", 0) == 0) parser_[size] = megabytesPerSecond;
      if (run.counters.count("peak_rss_kb")) rss_[size] = run.counters.at("peak_rss_kb").value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // Rates are per CPU second (the benchmark's default), steadier than wall time on a busy machine.
    // Ratio: how many times longer than a floor normalising and parsing takes (goal: within 3).
    std::printf("\nNormalise+parse against the I/O floors (MB/s; ratio = floor rate / parser rate)\n");
    for (const auto& [size, parser] : parser_) {
      const double floor = floor_[size];
      const double lineCopy = lineCopy_[size];
      std::printf("%6s items: normalise+parse %7.1f | block copy (64 KiB fread/fwrite) %7.1f, ratio %5.2f"
                  " | line copy (fgets/fputs) %7.1f, ratio %5.2f | peak RSS %.0f KB\n",
                  size.c_str(), parser, floor, floor / parser, lineCopy, lineCopy / parser, rss_[size]);
    }
  }

 private:
  std::map<std::string, double> floor_, lineCopy_, parser_, rss_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::remove(kPage);
  std::remove(kCopy);
  std::remove("temphtml.html");
  return 0;
}
