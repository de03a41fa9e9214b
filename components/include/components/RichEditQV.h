#pragma once
// A read-only rich-text log view. The attributes of the insertion point apply to the next line
// that is added: Fehler makes it bold red, NeuesThema grey, Eintrag resets them afterwards.
#include "components/Anzeigen.h"

#include <QTextCharFormat>
#include <QTextEdit>

namespace kiro {

class TRichEditQV : public QTextEdit, public IProtokollAnsicht {
  Q_OBJECT
 public:
  explicit TRichEditQV(QWidget* parent = nullptr);

  void Grundzustand() override;
  void Fehler() override;
  void NeuesThema() override;
  void Eintrag(const QString& Text) override;
  void Eintrag(const QString& Text, TZeilenFarbe Farbe) override;

  // The attributes the next added line gets.
  const QTextCharFormat& Einfuegeformat() const { return FFormat; }

 private:
  void Zeile(const QString& Text);
  QTextCharFormat FFormat;
  bool FHatZeilen = false;
  bool FSchreibtSelbst = false;  // Zeile is writing; its own changes do not reset FHatZeilen
};

}  // namespace kiro
