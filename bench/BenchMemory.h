// BenchMemory.h: the resident memory of the benchmark's process, read from
// /proc/self/statm.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

inline long ResidentBytes()
{
  QFile F(QStringLiteral("/proc/self/statm"));
  if (!F.open(QIODevice::ReadOnly))
    return 0;
  const QList<QByteArray> Parts = F.readAll().split(' ');
  return Parts.size() > 1 ? Parts[1].toLong() * 4096 : 0;
}
