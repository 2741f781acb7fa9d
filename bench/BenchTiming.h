// BenchTiming.h: the timing helpers of the benchmarks that time whole steps
// themselves: one run in milliseconds, a median, the median of several runs.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// One run of Work, in milliseconds.
inline double TimeOf(const std::function<void()>& Work)
{
  QElapsedTimer T;
  T.start();
  Work();
  return double(T.nsecsElapsed()) / 1e6;
}

inline double Median(std::vector<double> Values)
{
  std::sort(Values.begin(), Values.end());
  return Values[Values.size() / 2];
}

// Median of Count runs, in milliseconds; Setup runs untimed before each run.
inline double MedianOf(int Count, const std::function<void()>& Work, const std::function<void()>& Setup = nullptr)
{
  std::vector<double> Times;
  for (int I = 0; I < Count; ++I) {
    if (Setup)
      Setup();
    Times.push_back(TimeOf(Work));
  }
  return Median(Times);
}
