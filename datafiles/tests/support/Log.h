#pragma once
// A message list for one test: the logged lines as "<type> <text>", without their time stamp.
#include "foundation/Protokoll.h"

#include <QStringList>

namespace kiro::test {

struct TLog {
  TMeldungsListe Liste;
  TLog() { MeldungsListBox = &Liste; }
  ~TLog() { MeldungsListBox = nullptr; }
  QStringList Zeilen() {
    QStringList z;
    for (const TMeldung& m : Liste.Entnehmen()) z << QString::number(m.Typ) + u' ' + m.Meldung.mid(14);
    return z;
  }
};

}  // namespace kiro::test
