// BenchServerEnv.h: the environment a private server writes beside itself
// (port, account), read by the benchmarks that need the server.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <map>

// DIR/env as written by scripts/pgserver.sh; empty when missing.
inline std::map<QString, QString> ReadServerEnv(const QString& Dir)
{
  std::map<QString, QString> Env;
  QFile F(Dir + QStringLiteral("/env"));
  if (!F.open(QIODevice::ReadOnly))
    return Env;
  for (const QByteArray& Line : F.readAll().split('\n')) {
    const int Eq = Line.indexOf('=');
    if (Eq > 0)
      Env[QString::fromUtf8(Line.left(Eq))] = QString::fromUtf8(Line.mid(Eq + 1));
  }
  return Env;
}

// The environment of the server whose folder is the program's argument;
// empty, with the reason written, when there is none.
inline std::map<QString, QString> ServerEnvOfArgs(int argc, char** argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <server dir of scripts/pgserver.sh>\n", argv[0]);
    return {};
  }
  auto Env = ReadServerEnv(QString::fromLocal8Bit(argv[1]));
  if (Env.empty())
    std::fprintf(stderr, "no server environment in %s\n", argv[1]);
  return Env;
}
