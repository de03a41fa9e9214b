#pragma once
// A small data-file class for the tests of the base class: an install-script file type (so the
// versions are A.2 current and A.0 minimum) whose content element "VerwaltungsScript" carries an
// attribute "Wert", needed files as "Datei" children and nested objects as "Teil" children.
#include "datafiles/Autorendatei.h"
#include "datafiles/KiroXMLObjekt.h"

#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QRegularExpression>
#include <QStringList>

#include <memory>
#include <vector>

namespace kiro::test {

// A nested object: one "Teil" element of the outer document, with its own "Name".
class TTeil : public TKiroXMLObjekt {
 public:
  QString Name;
  QString Kommentar;
  TInfo& Kopf() { return FDateiInfo; }

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override {
    if (PaInfo.Kennung == u"Name") {
      Name = PaInfo.Wert;
      return ParseOK;
    }
    if (PaInfo.Kennung == u"Kommentar") {
      Kommentar = PaInfo.Wert;
      return ParseOK;
    }
    return TKiroXMLObjekt::InhaltLesen(PaInfo, pDaten);
  }
  bool InhaltSchreiben(void*) override {
    Schreibe(QStringLiteral("Name"), Name);
    Schreibe(QStringLiteral("Kommentar"), Kommentar);
    return false;
  }
};

class TTestdatei : public TKiroXMLObjekt {
 public:
  TTestdatei() { FDateiTyp = Datei_script_xml; }

  QString Wert;
  QList<TDatei> Inhaltsdateien;
  std::vector<std::unique_ptr<TTeil>> Teile;
  bool WurfBeimSchreiben = false;

  TInfo& Kopf() { return FDateiInfo; }
  QString XmlVersion() const { return xmlVersion; }
  QString XmlEncoding() const { return xmlEncoding; }
  TTeil& NeuerTeil(const QString& Name) {
    Teile.push_back(std::make_unique<TTeil>());
    Teile.back()->Name = Name;
    return *Teile.back();
  }

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override {
    if (PaInfo.Kennung == u"Wert") {
      Wert = PaInfo.Wert;
      return ParseOK;
    }
    if (PaInfo.Kennung == u"Teil") {
      Teile.push_back(std::make_unique<TTeil>());
      Teile.back()->LadenOffeneDatei(this, pDaten);
      return ParseOK;
    }
    if (PaInfo.Kennung == u"Datei") {
      Inhaltsdateien.append(TDatei());
      KnotenLesen(&Inhaltsdateien.last(), Leser(&TTestdatei::DateiEintragLesen));
      return ParseOK;
    }
    return TKiroXMLObjekt::InhaltLesen(PaInfo, pDaten);
  }
  bool InhaltSchreiben(void* pDaten) override {
    Schreibe(QStringLiteral("Wert"), Wert);
    if (WurfBeimSchreiben) throw std::runtime_error("Schreibfehler");
    for (auto& t : Teile) t->SpeichernOffeneDatei(QStringLiteral("Teil"), this, pDaten);
    for (TDatei d : Inhaltsdateien) KnotenSchreiben(QStringLiteral("Datei"), &d, Schreiber(&TTestdatei::DateiEintragSchreiben));
    return !Teile.empty() || !Inhaltsdateien.empty();
  }
};

// Message list that keeps the lines without their time stamp, and without the reader's
// position counters (", Zeile n (m. Zeichen)").
struct TLog {
  TProtokollFaenger Faenger;
  QStringList Zeilen() {
    static const QRegularExpression stelle(QStringLiteral(", Zeile \\d+ \\(\\d+\\. Zeichen\\)"));
    QStringList z = Faenger.Zeilen();
    for (QString& zeile : z) zeile.remove(stelle);
    return z;
  }
};

// The three global folders below one temporary folder ("daten/", "offiziell/", "programm/"),
// no settings object; everything is put back afterwards.
struct TOrdnerUmgebung {
  TempOrdner Ordner;
  QString AltDaten = Datenverzeichnis, AltOffiziell = DatenverzeichnisOffiziell, AltProgramm = Programmverzeichnis;
  TEinstellungen* AltEinstellungen = Einstellungen;
  TOrdnerUmgebung() {
    Datenverzeichnis = Ordner / QStringLiteral("daten/");
    DatenverzeichnisOffiziell = Ordner / QStringLiteral("offiziell/");
    Programmverzeichnis = Ordner / QStringLiteral("programm/");
    Einstellungen = nullptr;
  }
  ~TOrdnerUmgebung() {
    Datenverzeichnis = AltDaten;
    DatenverzeichnisOffiziell = AltOffiziell;
    Programmverzeichnis = AltProgramm;
    Einstellungen = AltEinstellungen;
  }
  QString Daten(const QString& Name, const QByteArray& Inhalt) const {
    return Ordner.Schreiben("daten/" + Name, Inhalt);
  }
  QString Offiziell(const QString& Name, const QByteArray& Inhalt) const {
    return Ordner.Schreiben("offiziell/" + Name, Inhalt);
  }
};

// A data file of the dialect around a header and a content body.
inline QByteArray Dokument(const QByteArray& Info, const QByteArray& Inhalt = "<VerwaltungsScript/>") {
  return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n" + Info + "\r\n" + Inhalt + "\r\n</Kiro>\r\n";
}

}  // namespace kiro::test
