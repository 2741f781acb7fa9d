// QtBenchMain.h: runs the registered benchmarks inside a Qt application, on
// the offscreen platform unless the environment names another.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

// Prepare runs once the application exists, before the first benchmark.
inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& Prepare = {})
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  if (Prepare)
    Prepare();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
