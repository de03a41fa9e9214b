#pragma once
// Catches every logged line of a test in a message list, as "<type> <text>" without time stamp.
#include "foundation/Protokoll.h"

#include <QStringList>

namespace kiro::test {

class TProtokollFaenger {
 public:
  TProtokollFaenger() { MeldungsListBox = &FListe; }
  ~TProtokollFaenger() { MeldungsListBox = nullptr; }
  TProtokollFaenger(const TProtokollFaenger&) = delete;
  TProtokollFaenger& operator=(const TProtokollFaenger&) = delete;

  // The lines logged since the last call, oldest first.
  QStringList Zeilen() {
    QStringList z;
    for (const TMeldung& m : FListe.Entnehmen()) z << QString::number(m.Typ) + u' ' + m.Meldung.mid(14);
    return z;
  }

 private:
  TMeldungsListe FListe;
};

}  // namespace kiro::test
