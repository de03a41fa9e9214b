#pragma once
// Readable test failures: Qt's texts print as text, not as rows of 2-byte objects.
#include <QByteArray>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& Text, std::ostream* Aus) { *Aus << '"' << Text.toStdString() << '"'; }
inline void PrintTo(const QByteArray& Text, std::ostream* Aus) { *Aus << '"' << Text.toStdString() << '"'; }
