// QtPrinters.h: readable GoogleTest output for Qt strings and byte arrays.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& S, std::ostream* Os) { *Os << '"' << S.toStdString() << '"'; }
inline void PrintTo(const QStringList& L, std::ostream* Os) { *Os << "{\"" << L.join("\", \"").toStdString() << "\"}"; }
inline void PrintTo(const QByteArray& B, std::ostream* Os) { *Os << "hex " << B.toHex().toStdString(); }
