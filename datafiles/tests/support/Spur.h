#pragma once
// Records what the reader hands to its callbacks: one line per callback
// "<depth> E|A <name>[=<value>] @<line>:<char>", children read by calling the reader again.
#include "datafiles/KiroXML.h"

#include <QSet>
#include <QStringList>

namespace kiro::test {

struct TSpur {
  TKiroXML* Leser = nullptr;
  QStringList Zeilen;
  QSet<QString> Ablehnen;       // answered ParseFehler
  QSet<QString> Ueberspringen;  // answered ParseUeberspringen
  int Tiefe = 0;
  int MaxTiefe = 0;

  TParserProc Proc() {
    return [this](TParse& p, void*) { return Rueckruf(p); };
  }

  TParseErg Rueckruf(TParse& p) {
    const bool knoten = p.Wert == QStringView(KnotenMarke);
    QString z = QString::number(Tiefe) + (knoten ? QStringLiteral(" E ") : QStringLiteral(" A ")) + p.Kennung;
    if (!knoten) z += u'=' + p.Wert;
    z += QStringLiteral(" @%1:%2").arg(Leser->AktuelleZeile()).arg(Leser->AktuellesZeichen());
    Zeilen << z;
    if (Ablehnen.contains(p.Kennung)) return ParseFehler;
    if (Ueberspringen.contains(p.Kennung)) return ParseUeberspringen;
    if (knoten) {
      ++Tiefe;
      MaxTiefe = std::max(MaxTiefe, Tiefe);
      Leser->LadenXML(Proc(), nullptr, false, QStringLiteral("t.xml"));
      --Tiefe;
    }
    return ParseOK;
  }
};

}  // namespace kiro::test
