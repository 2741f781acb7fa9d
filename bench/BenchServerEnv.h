// BenchServerEnv.h: the environment a private server writes beside itself
// (port, account), read by the benchmarks that need the server.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

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
