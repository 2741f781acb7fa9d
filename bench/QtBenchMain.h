// QtBenchMain.h: runs the registered benchmarks inside a Qt application, on
// the offscreen platform unless the environment names another.
//
// Unless the command line asks for repetitions, all benchmarks run five times
// in turn (A B A B ...), so that a change in the machine's speed (it is
// shared) reaches ours and its peer alike; for each pair (ours, peer) the
// ratio of wall and of processor times is taken turn by turn and the medians
// printed at the end.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Ours against its peer, by benchmark function name.
using TBenchPairs = std::vector<std::pair<std::string, std::string>>;

namespace benchdetail {

class TPairReporter : public benchmark::ConsoleReporter {
public:
  explicit TPairReporter(TBenchPairs Pairs) : FPairs(std::move(Pairs)) {}

  void ReportRuns(const std::vector<Run>& Reports) override
  {
    for (const Run& R : Reports)
      if (R.run_type == Run::RT_Iteration && !R.error_occurred) {
        FTimes[R.run_name.function_name].push_back(R.GetAdjustedRealTime());
        FTimes[R.run_name.function_name + " (cpu)"].push_back(R.GetAdjustedCPUTime());
      }
    ConsoleReporter::ReportRuns(Reports);
  }

  void PrintRatios() const
  {
    for (const auto& [OursName, PeerName] : FPairs)
      for (const char* Clock : {"", " (cpu)"})
        PrintRatio(OursName + Clock, PeerName + Clock);
    std::fflush(stdout);
  }

private:
  // On a loaded machine the wall times wait for a processor; the processor
  // times of the process say what the work itself cost.
  void PrintRatio(const std::string& Ours, const std::string& Peer) const
  {
    const auto A = FTimes.find(Ours), B = FTimes.find(Peer);
    if (A == FTimes.end() || B == FTimes.end())
      return;
    const std::size_t N = std::min(A->second.size(), B->second.size());
    std::vector<double> Ratios;
    for (std::size_t I = 0; I < N; ++I)
      Ratios.push_back(A->second[I] / B->second[I]);
    std::sort(Ratios.begin(), Ratios.end());
    std::vector<double> TA(A->second), TB(B->second);
    std::sort(TA.begin(), TA.end());
    std::sort(TB.begin(), TB.end());
    std::printf("%s %.3f / %s %.3f (medians): median of %zu paired ratios %.2f (min %.2f, max %.2f)\n",
                Ours.c_str(), TA[TA.size() / 2], Peer.c_str(), TB[TB.size() / 2], N, Ratios[N / 2],
                Ratios.front(), Ratios.back());
  }

  TBenchPairs FPairs;
  std::map<std::string, std::vector<double>> FTimes;
};

} // namespace benchdetail

// Prepare runs once the application exists, before the first benchmark.
inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& Prepare = {},
                           const TBenchPairs& Pairs = {})
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  if (Prepare)
    Prepare();
  const bool Repeats = std::any_of(argv, argv + argc,
                                   [](const char* A) { return std::strstr(A, "--benchmark_repetitions") == A; });
  benchmark::Initialize(&argc, argv);
  benchdetail::TPairReporter Reporter(Pairs);
  for (int Turn = 0; Turn < (Repeats ? 1 : 5); ++Turn)
    benchmark::RunSpecifiedBenchmarks(&Reporter);
  Reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
