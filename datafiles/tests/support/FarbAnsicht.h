#pragma once
// A log view that records each line with its colour, so tests can pin what the script
// commands write and in which colour.
#include "components/Anzeigen.h"

#include <QStringList>

namespace kiro::test {

// Records each line as "<colour letter>:<text>" (S plain, G grey, P teal, F error, ? current style).
struct TFarbAnsicht : IProtokollAnsicht {
  QStringList Zeilen;
  void Grundzustand() override {}
  void Fehler() override { Zeilen << QStringLiteral("<Fehler>"); }
  void NeuesThema() override {}
  void Eintrag(const QString& Text) override { Zeilen << QStringLiteral("?:") + Text; }
  void Eintrag(const QString& Text, TZeilenFarbe Farbe) override {
    static const char* const buchstabe[] = {"S", "G", "P", "F"};
    Zeilen << QString::fromLatin1(buchstabe[int(Farbe)]) + u':' + Text;
  }
};

}  // namespace kiro::test
