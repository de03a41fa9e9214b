// The data-file base class: construction, loading and the "Info" header as read.
#include "datafiles/KiroXMLObjekt.h"
#include "KiroXMLObjektIntern.h"
#include "datafiles/Autorendatei.h"

#include "foundation/Einstellungen.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace kiro {

namespace intern {

QString Seitendateiname(const QString& Dateiname) {
  return Dateiname + u'.' + DateiTypenTabelle[Datei_expense_xml].Suffix;
}

// The reader and the writer take a name that starts with "/" as it is and put every other
// name below the folder they are given; the side file is looked for in the same place.
QString Seitendateipfad(const QString& Seitenname) {
  const QString name = QString(Seitenname).replace(u'\\', u'/');
  return name.startsWith(u'/') ? name : Datenverzeichnis + name;
}

bool ImOrdner(const QString& Echt, const QString& Ordner) {
  const QString wurzel = QFileInfo(Ordner.isEmpty() ? QStringLiteral(".") : Ordner).canonicalFilePath();
  if (Echt.isEmpty() || wurzel.isEmpty()) return false;
  return Echt.startsWith(wurzel == u'/' ? wurzel : wurzel + u'/');
}

bool LiegtIn(const QString& Pfad, const QString& Ordner) {
  const QString p = QFileInfo(Pfad).canonicalFilePath();
  const QString o = QFileInfo(Ordner.isEmpty() ? QStringLiteral(".") : Ordner).canonicalFilePath();
  if (p.isEmpty() || o.isEmpty()) return false;
  return p == o || p.startsWith(o == u'/' ? o : o + u'/');
}

bool Fehlt(const QString& Pfad) {
  struct stat st {};
  return ::lstat(QFile::encodeName(Pfad).constData(), &st) != 0 && errno == ENOENT;
}

// The data folder as an absolute folder, so that the side file is read where it was written
// even when the data folder is "" (the reader would otherwise take the official data folder).
QString AbsoluterDatenordner() {
  return QDir(Datenverzeichnis.isEmpty() ? QStringLiteral(".") : Datenverzeichnis).absolutePath() + u'/';
}

// Several authors may share an ID. The k-th last side-file entry of an ID belongs to the k-th
// last author of that ID: the save writes them in the same order, and an author added after
// the side file was written (the later one) takes what an older single entry carried.
void AufwandUebernehmen(TInfo& Ziel, const TInfo& Seite, bool NurLeere) {
  auto nehmen = [NurLeere](float& ziel, float wert) {
    if (wert != 0.0f && (!NurLeere || ziel == 0.0f)) ziel = wert;
  };
  nehmen(Ziel.AufwandAlgo, Seite.AufwandAlgo);
  const TAutoren& seite = Seite.Autoren;
  for (qsizetype i = 0; i < seite.size(); ++i) {
    const TAutor& s = seite[i];
    if (s.AufwandAlt == 0.0f && s.AufwandPunkte == 0.0f) continue;
    qsizetype spaeter = 0;
    for (qsizetype j = i + 1; j < seite.size(); ++j)
      if (seite[j].AutorID == s.AutorID) ++spaeter;
    for (qsizetype j = Ziel.Autoren.size() - 1; j >= 0; --j) {
      TAutor& a = Ziel.Autoren[j];
      if (a.AutorID != s.AutorID || spaeter-- > 0) continue;
      nehmen(a.AufwandAlt, s.AufwandAlt);
      nehmen(a.AufwandPunkte, s.AufwandPunkte);
      break;
    }
  }
}

}  // namespace intern

namespace {

// The files whose loads are running on this thread, innermost last: the guard of
// "ExterneDatei" against files that name each other.
std::vector<QString>& LaufendeLadevorgaenge() {
  thread_local std::vector<QString> liste;
  return liste;
}

// What a load of DateiName from Pfad reads, resolved the way the reader resolves it.
QString Ladeschluessel(const QString& Pfad, const QString& DateiName) {
  if (!EingebundeneDateiSuchen(EingebundeneDateien, DateiName).isEmpty())
    return QStringLiteral("\x01") + DateiName.toUpper();
  const QString name = QString(DateiName).replace(u'\\', u'/');
  const QString pfad = name.startsWith(u'/') ? name : (!Pfad.isEmpty() ? Pfad : DatenverzeichnisOffiziell) + name;
  const QFileInfo info(pfad);
  const QString kanonisch = info.canonicalFilePath();
  return kanonisch.isEmpty() ? info.absoluteFilePath() : kanonisch;
}

struct TLaufenderLadevorgang {
  explicit TLaufenderLadevorgang(QString Schluessel) { LaufendeLadevorgaenge().push_back(std::move(Schluessel)); }
  ~TLaufenderLadevorgang() { LaufendeLadevorgaenge().pop_back(); }
  TLaufenderLadevorgang(const TLaufenderLadevorgang&) = delete;
  TLaufenderLadevorgang& operator=(const TLaufenderLadevorgang&) = delete;
};

void VersionMelden(const char* Schluessel, const QString& Dateiname, const QString& Version, const QString& Soll,
                   quint8 Typ) {
  ProtokollierenFehler(0, Formatieren(Text(QString::fromLatin1(Schluessel)), {Dateiname, Version, Soll}), Typ);
}

}  // namespace

TKiroXMLObjekt::TKiroXMLObjekt() {
  if (Einstellungen) {
    TAutor autor;
    Einstellungen->AutorLesen(autor);
    AutorAnhaengen(autor);
  }
}

TKiroXMLObjekt::~TKiroXMLObjekt() { *FLebenszelle = nullptr; }

QString TKiroXMLObjekt::DateiVersion() const { return DateiTypenTabelle[FDateiTyp].DateiVersion; }
QString TKiroXMLObjekt::MinDateiVersion() const { return DateiTypenTabelle[FDateiTyp].MinDateiVersion; }
QString TKiroXMLObjekt::ExeDateiVersion() const { return DateiTypenTabelle[FDateiTyp].ExeDateiVersion; }
QString TKiroXMLObjekt::TypKuerzel() const { return DateiTypenTabelle[FDateiTyp].TypKuerzel; }

float TKiroXMLObjekt::Bewertungsvorschlag(QStringList& Text) {
  (void)Text;
  return 0.0f;
}

bool TKiroXMLObjekt::IstAufwandsdatei() const { return dynamic_cast<const TExpensedatei*>(this) != nullptr; }

TKiroXMLObjekt* TKiroXMLObjekt::Wurzeldokument() {
  TKiroXMLObjekt* o = this;
  while (o->FremdeXMLDatei) o = o->FremdeXMLDatei;
  return o;
}

// --- loading ---

HRESULT TKiroXMLObjekt::LadenDatei(const QString& Pfad, const QString& DateiName, void* pDaten) {
  // What a reload keeps: DateiTyp, the versions, AufwandAlgo and, without a settings object,
  // the authors read so far.
  if (Einstellungen) FDateiInfo.Autoren.clear();
  FDateiInfo.ObjektID = 0;
  FDateiInfo.EinsatzAb = TDateTime();
  FDateiInfo.EinsatzBis = TDateTime();
  FDateiInfo.Kategorie.clear();
  FDateiInfo.Beschreibung.clear();
  FDateiInfo.Dateien.clear();

  FremdeXMLDatei = nullptr;
  XMLDatei = std::make_unique<TKiroXML>();
  FDateiInfo.Dateiname = DateiName;
  FExternUnvollstaendig = false;
  FLadenVollstaendig = false;
  // The reader made here is released when this load ends, however it ends.
  struct TFreigabe {
    std::unique_ptr<TKiroXML>& Leser;
    ~TFreigabe() { Leser.reset(); }
  } freigabe{XMLDatei};
  const TLaufenderLadevorgang laufend(Ladeschluessel(Pfad, DateiName));
  // An "ExterneDatei" loads into this object too; the side file is the outermost file's.
  const bool aeussererLadevorgang = FLadetiefe++ == 0;
  struct TTiefe {
    int& t;
    ~TTiefe() { --t; }
  } tiefe{FLadetiefe};
  if (aeussererLadevorgang) {
    FSeitendateiGelesen = false;
    FUngeleseneSeitendatei.clear();
  }

  const bool gefunden =
      XMLDatei->LadenDatei(Pfad, DateiName, FDateiInfo, Leser(&TKiroXMLObjekt::WurzelLesen), pDaten);
  // Values that stayed in an unread side file are still the user's: the next save keeps them.
  if (aeussererLadevorgang && gefunden && !FSeitendateiGelesen && !IstAufwandsdatei())
    FUngeleseneSeitendatei = intern::Seitendateiname(DateiName);
  FLadenVollstaendig = gefunden && XMLDatei->Vollstaendig() && !FExternUnvollstaendig;
  // Written back, a file read with U+FFFD in place of its bytes, or cut off, would lose them.
  if (aeussererLadevorgang)
    FVerlustDatei = gefunden && (XMLDatei->Kodierfehler() || XMLDatei->Abgeschnitten()) ? XMLDatei->GeleseneDatei()
                                                                                          : QString();
  FGeaendert = false;
  return gefunden ? S_OK : E_FAIL;
}

HRESULT TKiroXMLObjekt::LadenOffeneDatei(TKiroXMLObjekt* XMLDateiOffen, void* pDatenPointer) {
  FremdeXMLDatei = XMLDateiOffen;
  if (XMLDateiOffen) {
    // Messages and version-dependent readers see the outer file.
    FDateiInfo.Dateiname = XMLDateiOffen->FDateiInfo.Dateiname;
    FDateiInfo.Version = XMLDateiOffen->FDateiInfo.Version;
  }
  const HRESULT erg = KnotenLesen(pDatenPointer, Leser(&TKiroXMLObjekt::InhaltLesen));
  FGeaendert = false;
  return erg;
}

HRESULT TKiroXMLObjekt::KnotenLesen(void* pDaten, const TParserProc& ParserProc) {
  if (FremdeXMLDatei) return FremdeXMLDatei->KnotenLesen(pDaten, ParserProc);
  if (XMLDatei) return XMLDatei->LadenXML(ParserProc, pDaten, false, FDateiInfo.Dateiname) ? S_OK : E_FAIL;
  Protokollieren(QString(), QStringLiteral("Keine XML-Datei definiert"), 0);
  return E_FAIL;
}

TParseErg TKiroXMLObjekt::WurzelLesen(TParse& PaInfo, void* pDaten) {
  if (PaInfo.Kennung == u"?xml") {
    KnotenLesen(pDaten, Leser(&TKiroXMLObjekt::XmlDeklarationLesen));
    return ParseOK;
  }
  if (PaInfo.Kennung == u"Kiro") {
    KnotenLesen(pDaten, Leser(&TKiroXMLObjekt::HauptknotenLesen));
    return ParseOK;
  }
  Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.NichtKiro")), {FDateiInfo.Dateiname}), 2);
  return ParseFehler;
}

TParseErg TKiroXMLObjekt::XmlDeklarationLesen(TParse& PaInfo, void* pDaten) {
  (void)pDaten;
  const QString name = PaInfo.Kennung.toUpper();
  if (name == u"VERSION")
    xmlVersion = PaInfo.Wert;
  else if (name == u"ENCODING")
    xmlEncoding = PaInfo.Wert;
  return ParseOK;
}

TParseErg TKiroXMLObjekt::HauptknotenLesen(TParse& PaInfo, void* pDaten) {
  if (PaInfo.Kennung == u"Info") {
    KnotenLesen(pDaten, Leser(&TKiroXMLObjekt::InfoLesen));
    VersionPruefen();  // loading goes on whatever it finds
    return ParseOK;
  }
  if (PaInfo.Kennung == TypKuerzel()) {
    KnotenLesen(pDaten, Leser(&TKiroXMLObjekt::InhaltLesen));
    return ParseOK;
  }
  Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.FalscherTyp")), {PaInfo.Kennung}), 2);
  return ParseFehler;
}

TParseErg TKiroXMLObjekt::InfoLesen(TParse& PaInfo, void* pDaten) {
  (void)pDaten;
  const QString& k = PaInfo.Kennung;
  const QString& w = PaInfo.Wert;
  TInfo& info = FDateiInfo;
  if (k == u"AutorEintrag") {
    info.Autoren.append(TAutor());
    KnotenLesen(&info.Autoren.last(), Leser(&TKiroXMLObjekt::AutorEintragLesen));
  } else if (k == u"Version") {
    info.Version = w;
  } else if (k == u"MinVersion") {
    info.MinVersion = w;
  } else if (k == u"Aufwand") {
    info.AufwandAlgo = float(StrToFloatPunkt(w));
  } else if (k == u"ObjektID") {
    info.ObjektID = StrToIntSicher(w);
  } else if (k == u"Lizenz") {
    // read by older programs; nothing to keep
  } else if (k == u"DateiTyp") {
    info.DateiTyp = w;
  } else if (k == u"Beschreibung") {
    info.Beschreibung = w;
  } else if (k == u"EinsatzAb") {
    info.EinsatzAb = TextZuZeitDatumSekunden(w);
  } else if (k == u"EinsatzBis") {
    info.EinsatzBis = TextZuZeitDatumSekunden(w);
  } else if (k == u"DateiKategorie") {
    info.Kategorie = w;
  } else if (k == u"Datei") {
    info.Dateien.append(TDatei());
    KnotenLesen(&info.Dateien.last(), Leser(&TKiroXMLObjekt::DateiEintragLesen));
  } else if (k == u"Autor") {
    if (info.Autoren.isEmpty()) info.Autoren.resize(1);
    info.Autoren[0].Name = w;
  } else {
    return ParseFehler;
  }
  return ParseOK;
}

TParseErg TKiroXMLObjekt::AutorEintragLesen(TParse& PaInfo, void* pDaten) {
  TAutor& a = *static_cast<TAutor*>(pDaten);
  const QString& k = PaInfo.Kennung;
  const QString& w = PaInfo.Wert;
  if (k == u"AutorID")
    a.AutorID = StrToIntSicher(w);
  else if (k == u"AutorName")
    a.Name = w;
  else if (k == u"AutorEmail")
    a.eMail = w;
  else if (k == u"AutorAufwand")
    a.AufwandAlt = float(StrToFloatPunkt(w));
  else if (k == u"AutorAufwandPunkte")
    a.AufwandPunkte = float(StrToFloatPunkt(w));
  else if (k == u"AutorAufwandStunden")
    a.AufwandStunden = float(StrToFloatPunkt(w));
  else if (k == u"AutorLizenz")
    a.Lizenz = TLizenz(std::uint8_t(StrToIntSicher(w)));  // the code's low byte, unchecked
  else if (k == u"AutorBeschreibung")
    a.Bemerkung = w;
  else
    return ParseFehler;
  return ParseOK;
}

TParseErg TKiroXMLObjekt::DateiEintragLesen(TParse& PaInfo, void* pDaten) {
  TDatei& d = *static_cast<TDatei*>(pDaten);
  const QString& k = PaInfo.Kennung;
  if (k == u"Dateiname")
    d.Dateiname = PaInfo.Wert;
  else if (k == u"inst")
    d.InstVerzeichnis = std::uint8_t(StrToIntSicher(PaInfo.Wert));
  else if (k == u"NurInfo")
    d.NurInfo = StrToBoolEins(PaInfo.Wert);
  else
    return ParseFehler;
  return ParseOK;
}

TParseErg TKiroXMLObjekt::InhaltLesen(TParse& PaInfo, void* pDaten) {
  // An element of that name names no file; the reader reports and skips it.
  if (PaInfo.Kennung == u"ExterneDatei" && PaInfo.Wert != QStringView(KnotenMarke))
    return ExterneDateiLesen(PaInfo.Wert, pDaten);
  return ParseFehler;
}

// Loads the named file into this object while the document holding its element is being read.
// The running reader (or the outer document) is put back afterwards, so the rest of the element
// and of the document is read as if the file had been inserted there.
TParseErg TKiroXMLObjekt::ExterneDateiLesen(const QString& Wert, void* pDaten) {
  auto ablehnen = [&](const QString& Vorlage) {
    Protokollieren(QString(), Formatieren(Vorlage, {Wert, FDateiInfo.Dateiname, MaxExterneTiefe}), 2);
    Wurzeldokument()->FExternUnvollstaendig = true;
    return ParseOK;
  };
  if (int(LaufendeLadevorgaenge().size()) > MaxExterneTiefe)
    return ablehnen(QStringLiteral("ExterneDatei \"%s\" in Datei \"%s\": mehr als %d Dateien ineinander eingebunden, "
                                   "nicht gelesen"));
  QString name = Wert;
  if (EingebundeneDateiSuchen(EingebundeneDateien, Wert).isEmpty()) {
    // A name from a file stays inside the official data folder.
    QString basis = DatenverzeichnisOffiziell;
    if (!basis.isEmpty() && !basis.endsWith(u'/')) basis += u'/';
    const auto pfad = SicherVerbindenOhneGrossKlein(basis, Wert);
    if (!pfad) return ablehnen(QStringLiteral("ExterneDatei \"%s\" in Datei \"%s\": unzulässiger Dateiname"));
    const QFileInfo info(*pfad);
    if ((info.exists() || info.isSymLink()) && !info.isFile())
      return ablehnen(QStringLiteral("ExterneDatei \"%s\" in Datei \"%s\" ist keine reguläre Datei"));
    // A link may lead out of the data folder; what is read must really lie below it.
    if (info.exists() && !intern::ImOrdner(info.canonicalFilePath(), basis))
      return ablehnen(QStringLiteral("ExterneDatei \"%s\" in Datei \"%s\" liegt außerhalb des Datenverzeichnisses"));
    // The name in the letter case found on disk, in the form the file wrote it when that matches.
    const QString gefunden = pfad->mid(basis.size());
    if (gefunden != QString(Wert).replace(u'\\', u'/')) name = gefunden;
  }
  const QString schluessel = Ladeschluessel(QString(), name);
  for (const QString& s : LaufendeLadevorgaenge())
    if (s == schluessel)
      return ablehnen(QStringLiteral("ExterneDatei \"%s\" in Datei \"%s\" wird bereits gelesen, nicht noch einmal"));

  struct TZurueck {
    TKiroXMLObjekt& o;
    std::unique_ptr<TKiroXML> Leser;
    TKiroXMLObjekt* Fremde;
    bool ExternUnvollstaendig;
    ~TZurueck() {
      o.XMLDatei = std::move(Leser);
      o.FremdeXMLDatei = Fremde;
      o.FExternUnvollstaendig = ExternUnvollstaendig;
    }
  };
  bool vollstaendig = false;
  {
    TZurueck zurueck{*this, std::move(XMLDatei), FremdeXMLDatei, FExternUnvollstaendig};
    LadenDatei(QString(), name, pDaten);
    vollstaendig = FLadenVollstaendig;
  }
  if (!vollstaendig) Wurzeldokument()->FExternUnvollstaendig = true;
  return ParseOK;
}

bool TKiroXMLObjekt::VersionPruefen() {
  const TInfo& i = FDateiInfo;
  const QString soll = DateiVersion();
  const QString min = MinDateiVersion();
  // Plain code-unit comparisons, as the product has always compared versions.
  bool ergebnis = true;
  if (QString::compare(i.Version, min, Qt::CaseSensitive) < 0) {
    VersionMelden("KiroAllgStandardoperationen.FehlerAlteDatei", i.Dateiname, i.Version, min, 2);
    ergebnis = false;
  } else if (QString::compare(i.Version, soll, Qt::CaseSensitive) < 0) {
    VersionMelden("KiroAllgStandardoperationen.WarnungAlteDatei", i.Dateiname, i.Version, soll, 5);
  } else if (QString::compare(i.MinVersion, soll, Qt::CaseSensitive) > 0) {
    VersionMelden("KiroAllgStandardoperationen.FehlerNeueDatei", i.Dateiname, i.Version, soll, 3);
    ergebnis = false;
  } else if (QString::compare(i.Version, soll, Qt::CaseSensitive) > 0) {
    VersionMelden("KiroAllgStandardoperationen.WarnungNeueDatei", i.Dateiname, i.Version, soll, 5);
  }
  if (ergebnis && !IstAufwandsdatei()) AufwandZusammenfuehren();
  return ergebnis;
}

// Takes the effort values that only the side file carries: each author's AufwandAlt and
// AufwandPunkte and the header's AufwandAlgo.
// Only the outermost file's own side file counts as read, and only once it was read whole: the
// save rewrites or removes a side file on that ground alone. The side file of a file that an
// "ExterneDatei" loads is merged all the same, but it is not the outer file's.
void TKiroXMLObjekt::AufwandZusammenfuehren() {
  const bool eigene = FLadetiefe == 1;
  const QString name = intern::Seitendateiname(FDateiInfo.Dateiname);
  if (intern::Fehlt(intern::Seitendateipfad(name))) {
    if (eigene) FSeitendateiGelesen = true;
    return;
  }
  TExpensedatei seite;
  if (seite.LadenDatei(intern::AbsoluterDatenordner(), name, nullptr) != S_OK || !seite.GanzGelesen()) return;
  intern::AufwandUebernehmen(FDateiInfo, seite.FDateiInfo, false);
  if (eigene) FSeitendateiGelesen = true;
}

// --- authors ---

void TKiroXMLObjekt::AutorAnhaengen(const TAutor& Autor) {
  FDateiInfo.Autoren.append(Autor);
  LeereAutorenEntfernen();
}

void TKiroXMLObjekt::AutorHinzufuegen(const TAutor& Autor) { AutorAnhaengen(Autor); }

void TKiroXMLObjekt::LeereAutorenEntfernen() {
  TAutoren& liste = FDateiInfo.Autoren;
  qsizetype i = 0;
  while (i < liste.size()) {
    const TAutor& a = liste.at(i);
    if (a.AutorID == 0 && (a.Name.isEmpty() || liste.size() > 1))
      liste.removeAt(i);
    else
      ++i;
  }
}

}  // namespace kiro
