// The whole-file tree: loading through the reader, the tree writer and the author query.
#include "datafiles/KiroXMLDatei.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Einstellungen.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Textdatei.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

TKiroXMLKnoten* TKiroXMLKnoten::AddChild(const QString& Kennung) {
  Unterknoten.push_back(std::make_unique<TKiroXMLKnoten>(Kennung));
  return Unterknoten.back().get();
}

TKiroXMLDatei::TKiroXMLDatei() : pBasisKnoten(std::make_unique<TKiroXMLKnoten>()) {}

TKiroXMLDatei::~TKiroXMLDatei() = default;

TKiroXMLKnoten* TKiroXMLDatei::LadenDatei(const QString& Pfad, const QString& DateiName) {
  return Laden([&](const TParserProc& Proc) {
    TInfo kopf;  // the tree keeps the header as nodes; the record is not used
    XMLDatei->LadenDatei(Pfad, DateiName, kopf, Proc, pBasisKnoten.get());
  });
}

TKiroXMLKnoten* TKiroXMLDatei::LadenOffen(int Fd, const QString& DateiName) {
  return Laden([&](const TParserProc& Proc) { XMLDatei->LadenOffen(Fd, DateiName, Proc, pBasisKnoten.get()); });
}

TKiroXMLKnoten* TKiroXMLDatei::Laden(const std::function<void(const TParserProc&)>& Lesen) {
  pKiroBasisKnoten = nullptr;
  FAbgeschnitten = false;
  // The base node stays the same object; only its content is replaced.
  pBasisKnoten->Name.clear();
  pBasisKnoten->Attribute.clear();
  pBasisKnoten->Unterknoten.clear();
  pBasisKnoten->Kommentare.clear();
  FVerlustbehaftet = false;
  FTextVerworfen = false;
  FDeklarationGelesen = false;
  FDeklarationVerloren = false;
  XMLDatei = std::make_unique<TKiroXML>();
  // The tree is written back: values keep their line breaks.
  XMLDatei->UmbruecheBehalten = true;
  XMLDatei->KommentarProc = [](const QString& Text, void* pDaten) {
    auto* knoten = static_cast<TKiroXMLKnoten*>(pDaten);
    knoten->Kommentare.emplace_back(knoten->Unterknoten.size(), Text);
  };
  struct TFreigabe {
    std::unique_ptr<TKiroXML>& x;
    ~TFreigabe() { x.reset(); }
  } freigabe{XMLDatei};
  Lesen([this](TParse& p, void* d) { return BaumLesen(p, d); });
  FAbgeschnitten = XMLDatei->Abgeschnitten();
  FVerlustbehaftet = XMLDatei->Kodierfehler();
  FTextVerworfen = XMLDatei->TextVerworfen() || FDeklarationVerloren;
  return pKiroBasisKnoten;
}

TParseErg TKiroXMLDatei::BaumLesen(TParse& Parse, void* pDaten) {
  auto* knoten = static_cast<TKiroXMLKnoten*>(pDaten);
  if (Parse.Kennung == u"?xml") {
    // Only the declaration at the file's start is layout; anywhere else it would be lost.
    if (knoten != pBasisKnoten.get() || FDeklarationGelesen || !knoten->Unterknoten.empty() || !knoten->Kommentare.empty())
      FDeklarationVerloren = true;
    FDeklarationGelesen = true;
    KnotenLesen(pDaten, [this](TParse& p, void* d) { return XmlDeklarationLesen(p, d); });
  } else if (Parse.Wert != QStringView(KnotenMarke)) {
    knoten->Attribute.append(TParse{Parse.Kennung, Parse.Wert});
  } else {
    TKiroXMLKnoten* kind = knoten->AddChild(Parse.Kennung);
    if (knoten->Name == u"Kiro") pKiroBasisKnoten = kind;
    KnotenLesen(kind, [this](TParse& p, void* d) { return BaumLesen(p, d); });
  }
  // Everything is kept, so nothing counts as unexpected.
  return ParseOK;
}

void TKiroXMLDatei::KnotenLesen(void* pDaten, const TParserProc& ParserProc) {
  if (!XMLDatei) {
    Protokollieren(QString(), QStringLiteral("Keine XML-Datei definiert"), 0);
    return;
  }
  XMLDatei->LadenXML(ParserProc, pDaten, false, QString());
}

TParseErg TKiroXMLDatei::XmlDeklarationLesen(TParse& Parse, void* pDaten) {
  (void)pDaten;
  const QString name = Parse.Kennung.toUpper();
  if (name == u"VERSION")
    xmlVersion = Parse.Wert;
  else if (name == u"ENCODING")
    xmlEncoding = Parse.Wert;
  return ParseOK;
}

namespace {

// The comments that stood before child number Bis, from number Ab of the node's list on.
std::size_t KommentareAusgeben(const TKiroXMLKnoten& Knoten, std::size_t Ab, std::size_t Bis, QByteArray& Ziel) {
  for (; Ab < Knoten.Kommentare.size() && Knoten.Kommentare[Ab].first <= Bis; ++Ab)
    Ziel += (QStringLiteral("<!--") + Knoten.Kommentare[Ab].second + QStringLiteral("-->\r\n")).toUtf8();
  return Ab;
}

}  // namespace

void TKiroXMLDatei::KnotenAusgeben(const TKiroXMLKnoten& Knoten, QByteArray& Ziel) {
  QString zeile = u'<' + Knoten.Name;
  for (const TParse& a : Knoten.Attribute) zeile += u' ' + a.Kennung + QStringLiteral("=\"") + TKiroXML::Maskieren(a.Wert) + u'"';
  const bool leer = Knoten.Unterknoten.empty() && Knoten.Kommentare.empty();
  zeile += leer ? QStringLiteral("/>\r\n") : QStringLiteral(">\r\n");
  Ziel += zeile.toUtf8();
  if (leer) return;
  std::size_t k = 0;
  for (std::size_t i = 0; i < Knoten.Unterknoten.size(); ++i) {
    k = KommentareAusgeben(Knoten, k, i, Ziel);
    KnotenAusgeben(*Knoten.Unterknoten[i], Ziel);
  }
  KommentareAusgeben(Knoten, k, Knoten.Unterknoten.size(), Ziel);
  Ziel += (QStringLiteral("</") + Knoten.Name + QStringLiteral(">\r\n")).toUtf8();
}

bool TKiroXMLDatei::SpeichernDatei(const QString& Pfad, const QString& DateiName) {
  // Names may come in Windows form; the file system wants "/".
  QString name = QString(DateiName).replace(u'\\', u'/');
  QString ordner = Pfad;
  if (Einstellungen && Einstellungen->DokuModus) {
    name = QFileInfo(name).fileName() + QStringLiteral(".schema.xml");
    Piepen(1000, 100);
    Piepen(150, 100);
    Piepen(1000, 100);
    ordner = Programmverzeichnis + QStringLiteral("_Docu/xml/");
  }
  const QString pfad = name.startsWith(u'/') ? name : ordner + name;
  auto fehlschlag = [&pfad] {
    Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.DateiSpeichern")), {pfad}), 2);
    return false;
  };

  // Only the first top-level element could be written, and a foreign root is no data file of
  // ours: rewriting either would drop or mangle content. The same holds for a tree that lacks
  // the part of its file the reader could not get to.
  const auto& oben = pBasisKnoten->Unterknoten;
  if (oben.size() != 1 || oben.front()->Name != u"Kiro") {
    Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.NichtKiro")), {pfad}), 2);
    return fehlschlag();
  }
  // A file read with undecodable bytes would be written back with U+FFFD in their place.
  if (FAbgeschnitten || FVerlustbehaftet) return fehlschlag();
  // Text the grammar passed over (element text) is not in the tree; the file keeps it unwritten.
  if (FTextVerworfen) {
    Protokollieren(QString(),
                   Formatieren(QStringLiteral("Datei \"%s\" enthält Text außerhalb der Attribute, bleibt unverändert"),
                               {pfad}),
                   2);
    return fehlschlag();
  }

  const QString ordnerTeil = QFileInfo(pfad).path();
  if (!QFileInfo::exists(ordnerTeil)) VerzeichnisAnlegen(ordnerTeil);

  try {
    QByteArray inhalt("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
    const std::size_t k = KommentareAusgeben(*pBasisKnoten, 0, 0, inhalt);
    KnotenAusgeben(*oben.front(), inhalt);
    KommentareAusgeben(*pBasisKnoten, k, 1, inhalt);
    if (!DateiErsetzen(pfad, inhalt)) return fehlschlag();
  } catch (...) {
    return fehlschlag();
  }
  return true;
}

void TKiroXMLDatei::Schreibe(TKiroXMLKnoten& Knoten, const QString& Kennung, const QString& Wert) {
  Knoten.Attribute.append(TParse{Kennung, Wert});
}

void TKiroXMLDatei::SchreibeInt(TKiroXMLKnoten& Knoten, const QString& Kennung, std::int32_t Wert) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereInt(Wert));
}

void TKiroXMLDatei::SchreibeInt(TKiroXMLKnoten& Knoten, const QString& Kennung, std::int64_t Wert) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereInt(Wert));
}

void TKiroXMLDatei::SchreibeD3DColor(TKiroXMLKnoten& Knoten, const QString& Kennung, std::uint32_t Wert) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereD3DColor(Wert));
}

void TKiroXMLDatei::SchreibeFloat(TKiroXMLKnoten& Knoten, const QString& Kennung, float Wert) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereFloat(Wert));
}

void TKiroXMLDatei::SchreibeFloat6(TKiroXMLKnoten& Knoten, const QString& Kennung, float Wert) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereFloat6(Wert));
}

void TKiroXMLDatei::SchreibeBool(TKiroXMLKnoten& Knoten, const QString& Kennung, bool Wert) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereBool(Wert));
}

void TKiroXMLDatei::SchreibeZeitDatum(TKiroXMLKnoten& Knoten, const QString& Kennung, double Wert,
                                      bool Millisekunden) {
  Schreibe(Knoten, Kennung, TKiroXML::KonvertiereZeitDatum(Wert, Millisekunden));
}

bool TKiroXMLDatei::KiroAutorenAuslesen(TAutoren& Autoren) const {
  const auto& oben = pBasisKnoten->Unterknoten;
  if (oben.empty() || oben.front()->Name != u"Kiro") return false;
  const TKiroXMLKnoten& kiro = *oben.front();
  if (kiro.Unterknoten.empty() || kiro.Unterknoten.front()->Name != u"Info") return true;
  for (const auto& eintrag : kiro.Unterknoten.front()->Unterknoten) {
    if (eintrag->Name != u"AutorEintrag") continue;
    TAutor autor;
    for (const TParse& a : eintrag->Attribute) {
      if (a.Kennung == u"AutorID")
        autor.AutorID = StrToIntSicher(a.Wert);
      else if (a.Kennung == u"AutorName")
        autor.Name = a.Wert;
      else if (a.Kennung == u"AutorEmail")
        autor.eMail = a.Wert;
      else if (a.Kennung == u"AutorAufwand")
        autor.AufwandAlt = float(StrToFloatPunkt(a.Wert));
      else if (a.Kennung == u"AutorAufwandPunkte")
        autor.AufwandPunkte = float(StrToFloatPunkt(a.Wert));
      else if (a.Kennung == u"AutorAufwandStunden")
        autor.AufwandStunden = float(StrToFloatPunkt(a.Wert));
      else if (a.Kennung == u"AutorBeschreibung")
        autor.Bemerkung = a.Wert;
      else if (a.Kennung == u"AutorLizenz")
        autor.Lizenz = TLizenz(std::uint8_t(StrToIntSicher(a.Wert) & 0xFF));
    }
    Autoren.append(autor);
  }
  return true;
}

}  // namespace kiro
