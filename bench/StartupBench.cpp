// StartupBench.cpp: the client's start-up, from process start to the login
// dialog on screen with every form created, against a bare Qt widget
// program started in the same run. The client must stay under three times
// the bare program.
//
// The benchmark starts a private PostgreSQL server (scripts/pgserver.sh)
// for the client's data source, and runs bench_startup_probe as the child
// process that is timed.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Milliseconds from starting the probe to its "shown" line.
double TimeToShown(const QString& Mode, const QProcessEnvironment& Env)
{
  QProcess Probe;
  Probe.setProcessEnvironment(Env);
  Probe.setProgram(QStringLiteral(VELMORA_STARTUP_PROBE));
  Probe.setArguments({Mode});
  QElapsedTimer Clock;
  Clock.start();
  Probe.start();
  QByteArray Out;
  while (!Out.contains('\n') && Probe.waitForReadyRead(30000))
    Out += Probe.readAllStandardOutput();
  const double Ms = double(Clock.nsecsElapsed()) / 1e6;
  Probe.waitForFinished(30000);
  if (!Out.startsWith("shown"))
    return -1;
  return Ms;
}

double Median(std::vector<double> V)
{
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

struct Server {
  QTemporaryDir Dir;
  bool Started = false;
  Server()
  {
    const QString Cmd = QStringLiteral("bash '%1/scripts/pgserver.sh' start '%2' >/dev/null")
                          .arg(QStringLiteral(VELMORA_SOURCE_DIR), Dir.path());
    Started = std::system(Cmd.toLocal8Bit().constData()) == 0;
  }
  ~Server()
  {
    const QString Cmd = QStringLiteral("bash '%1/scripts/pgserver.sh' stop '%2' >/dev/null")
                          .arg(QStringLiteral(VELMORA_SOURCE_DIR), Dir.path());
    (void)std::system(Cmd.toLocal8Bit().constData());
  }
};

void BM_ClientStartup(benchmark::State& State)
{
  static Server Db;
  if (!Db.Started) {
    State.SkipWithError("the private PostgreSQL server did not start");
    return;
  }
  QTemporaryDir Config;
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  Env.insert(QStringLiteral("ODBCINI"), Db.Dir.path() + QStringLiteral("/odbc.ini"));
  Env.insert(QStringLiteral("XDG_CONFIG_HOME"), Config.path());
  if (!Env.contains(QStringLiteral("QT_QPA_PLATFORM")))
    Env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // Warm the file cache and the server once.
  TimeToShown(QStringLiteral("client"), Env);
  TimeToShown(QStringLiteral("bare"), Env);

  std::vector<double> Bare, Client;
  for (auto _ : State) {
    const double B = TimeToShown(QStringLiteral("bare"), Env);
    const double C = TimeToShown(QStringLiteral("client"), Env);
    if (B < 0 || C < 0) {
      State.SkipWithError("a probe did not show its window");
      return;
    }
    Bare.push_back(B);
    Client.push_back(C);
    State.SetIterationTime(C / 1000.0);
  }
  const double Ratio = Median(Client) / Median(Bare);
  State.counters["bare_ms"] = Median(Bare);
  State.counters["client_ms"] = Median(Client);
  State.counters["ratio"] = Ratio;
  if (Ratio >= 3.0)
    State.SkipWithError("the client starts more than three times slower than a bare Qt program");
}
BENCHMARK(BM_ClientStartup)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

}  // namespace
