// The data-file base class: saving, the "Info" header as written and the effort side file.
#include "KiroXMLObjektIntern.h"
#include "datafiles/Autorendatei.h"
#include "datafiles/KiroXMLObjekt.h"

#include "foundation/Einstellungen.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace kiro {

namespace {

bool DokuModus() { return Einstellungen && Einstellungen->DokuModus; }

}  // namespace

HRESULT TKiroXMLObjekt::SpeichernDatei(const QString& Pfad, const QString& DateiName, void* pDaten) {
  FremdeXMLDatei = nullptr;
  XMLDatei = std::make_unique<TKiroXML>();
  struct TFreigabe {
    TKiroXMLObjekt& o;
    ~TFreigabe() {
      o.XMLDatei.reset();
      o.FGeschriebeneTeile.clear();
    }
  } freigabe{*this};
  FGeschriebeneTeile.clear();
  FAufwandVorhanden = false;

  InfoVorbereiten();
  const bool doku = DokuModus();
  if (doku) {
    // abc.script.xml of a type at version A.2 is documented as docu_a.2.script.xml.
    const qsizetype trenner = std::max(DateiName.lastIndexOf(u'\\'), DateiName.lastIndexOf(u'/'));
    const QString name = DateiName.mid(trenner + 1);
    const qsizetype punkt = name.indexOf(u'.');
    FDateiInfo.Dateiname =
        (QStringLiteral("docu_") + DateiVersion()).toLower() + u'.' + (punkt >= 0 ? name.mid(punkt + 1) : name);
  } else {
    FDateiInfo.Dateiname = SichererDateiname(DateiName);
  }

  XMLDatei->Geschuetzt = FVerlustDatei;
  const bool geschrieben =
      XMLDatei->SpeichernDatei(Pfad, FDateiInfo.Dateiname, Schreiber(&TKiroXMLObjekt::DateiSchreiben), pDaten);
  FSpeichergrund = XMLDatei->Fehlergrund();
  XMLDatei.reset();
  // The side file follows only a data file that was written, so a failed save leaves the old
  // file together with its old side file.
  const bool seitendatei = !geschrieben || doku || IstAufwandsdatei() || SeitendateiPflegen();
  // Only what really reached the disk counts as saved; a schema file in documentation mode
  // is no save of the data.
  if (geschrieben && !doku && seitendatei) {
    FGeaendert = false;
    for (const auto& zelle : FGeschriebeneTeile)
      if (TKiroXMLObjekt* teil = *zelle) teil->FGeaendert = false;
  }
  // Effort values that reached no disk fail the save, although the data file was written.
  return geschrieben && seitendatei ? S_OK : E_FAIL;
}

HRESULT TKiroXMLObjekt::SpeichernOffeneDatei(const QString& Knotenname, TKiroXMLObjekt* XMLDateiOffen,
                                             void* pDatenPointer) {
  FremdeXMLDatei = XMLDateiOffen;
  TKiroXMLObjekt* wurzel = Wurzeldokument();
  const bool erreichbar = wurzel->XMLDatei != nullptr;
  KnotenSchreiben(Knotenname, pDatenPointer, Schreiber(&TKiroXMLObjekt::InhaltSchreiben));
  // The flag is cleared with the outer document's, when its file has been written.
  if (erreichbar && wurzel != this) wurzel->FGeschriebeneTeile.push_back(FLebenszelle);
  return erreichbar ? S_OK : E_FAIL;
}

void TKiroXMLObjekt::KnotenSchreiben(const QString& Knotenname, void* pDaten, const TSpeicherProc& SpeicherProc) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->KnotenSchreiben(Knotenname, pDaten, SpeicherProc);
  else if (XMLDatei)
    XMLDatei->SpeichernXML(Knotenname, SpeicherProc, pDaten, QString());
  else
    Protokollieren(QString(), QStringLiteral("Keine XML-Datei definiert"), 0);
}

bool TKiroXMLObjekt::InhaltSchreiben(void* pDaten) {
  (void)pDaten;
  return false;
}

void TKiroXMLObjekt::InfoVorbereiten() {
  FDateiInfo.Version = DateiVersion();
  FDateiInfo.MinVersion = MinDateiVersion();
  FDateiInfo.DateiTyp = TypKuerzel();
}

bool TKiroXMLObjekt::DateiSchreiben(void* pDaten) {
  KnotenSchreiben(QStringLiteral("Info"), pDaten, Schreiber(&TKiroXMLObjekt::InfoSchreiben));
  KnotenSchreiben(FDateiInfo.DateiTyp, pDaten, Schreiber(&TKiroXMLObjekt::InhaltSchreiben));
  return true;
}

bool TKiroXMLObjekt::InfoSchreiben(void* pDaten) {
  (void)pDaten;
  const TInfo& i = FDateiInfo;
  const bool seite = IstAufwandsdatei();
  Schreibe(QStringLiteral("DateiTyp"), i.DateiTyp);
  Schreibe(QStringLiteral("Version"), i.Version);
  Schreibe(QStringLiteral("MinVersion"), i.MinVersion);
  if (seite) {
    SchreibeFloat(QStringLiteral("Aufwand"), i.AufwandAlgo);
  } else {
    SchreibeInt(QStringLiteral("ObjektID"), i.ObjektID);
    Schreibe(QStringLiteral("Beschreibung"), i.Beschreibung);
    SchreibeZeitDatum(QStringLiteral("EinsatzAb"), i.EinsatzAb, false);
    SchreibeZeitDatum(QStringLiteral("EinsatzBis"), i.EinsatzBis, false);
    Schreibe(QStringLiteral("DateiKategorie"), i.Kategorie);
  }
  if (DokuModus()) {
    // One of each child, so the schema names their attributes.
    TAutor autor;
    TDatei datei;
    KnotenSchreiben(QStringLiteral("AutorEintrag"), &autor, Schreiber(&TKiroXMLObjekt::AutorEintragSchreiben));
    KnotenSchreiben(QStringLiteral("Datei"), &datei, Schreiber(&TKiroXMLObjekt::DateiEintragSchreiben));
    return true;
  }
  bool kinder = false;
  // The header's AufwandAlgo, too, is written only to the side file.
  if (!seite && i.AufwandAlgo != 0.0f) FAufwandVorhanden = true;
  for (const TAutor& a : i.Autoren) {
    TAutor kopie = a;
    if (!seite) {
      // The data file never carries these two; they go to the side file.
      if (kopie.AufwandAlt != 0.0f || kopie.AufwandPunkte != 0.0f) FAufwandVorhanden = true;
      kopie.AufwandAlt = 0.0f;
      kopie.AufwandPunkte = 0.0f;
    }
    if (kopie.AutorID != 0 || !kopie.Name.isEmpty() || !kopie.eMail.isEmpty())
      KnotenSchreiben(QStringLiteral("AutorEintrag"), &kopie, Schreiber(&TKiroXMLObjekt::AutorEintragSchreiben));
    kinder = true;
  }
  for (const TDatei& d : i.Dateien) {
    TDatei kopie = d;
    KnotenSchreiben(QStringLiteral("Datei"), &kopie, Schreiber(&TKiroXMLObjekt::DateiEintragSchreiben));
    kinder = true;
  }
  return kinder;
}

// Writes the side file when the header has effort values, else removes a stale one. A side file
// that was never read whole is neither: its values are unknown, so it stays as it is. False
// when the effort values did not reach the disk; the save then fails.
bool TKiroXMLObjekt::SeitendateiPflegen() {
  const QString name = intern::Seitendateiname(FDateiInfo.Dateiname);
  const QString pfad = intern::Seitendateipfad(name);
  TInfo kopf = FDateiInfo;
  bool aufwand = FAufwandVorhanden;
  if (!FUngeleseneSeitendatei.isEmpty() && !intern::Fehlt(intern::Seitendateipfad(FUngeleseneSeitendatei))) {
    // The load left the side file unread; its values fill what this object does not carry,
    // so the save does not throw away what the user once entered.
    TExpensedatei alt;
    const bool gelesen =
        alt.LadenDatei(intern::AbsoluterDatenordner(), FUngeleseneSeitendatei, nullptr) == S_OK && alt.GanzGelesen();
    if (!gelesen && FUngeleseneSeitendatei == name) {
      Protokollieren(QString(),
                     Formatieren(QStringLiteral("Aufwandsdatei \"%s\" nicht vollständig gelesen, bleibt unverändert"),
                                 {pfad}),
                     2);
      return !aufwand;
    }
    if (gelesen) {
      intern::AufwandUebernehmen(kopf, alt.FDateiInfo, true);
      aufwand = aufwand || kopf.AufwandAlgo != 0.0f ||
                std::any_of(kopf.Autoren.cbegin(), kopf.Autoren.cend(),
                            [](const TAutor& a) { return a.AufwandAlt != 0.0f || a.AufwandPunkte != 0.0f; });
    }
  }
  bool ok = true;
  if (aufwand) {
    TExpensedatei seite;
    seite.FDateiInfo = kopf;
    ok = seite.SpeichernDatei(Datenverzeichnis, name, nullptr) == S_OK;
    if (!ok)
      Protokollieren(seite.FSpeichergrund,
                     Formatieren(QStringLiteral("Aufwandsdatei \"%s\" nicht geschrieben, die Aufwandswerte sind nicht gespeichert"),
                                 {pfad}),
                     2);
  } else if (::unlink(QFile::encodeName(pfad).constData()) != 0 && errno != ENOENT && errno != ENOTDIR) {
    // A side file left standing brings its old values back with the next load.
    const int fehler = errno;
    ProtokollierenFehler(
        fehler,
        Formatieren(QStringLiteral("Aufwandsdatei \"%s\" nicht gelöscht, ihre alten Aufwandswerte gelten weiter"), {pfad}),
        2);
    ok = false;
  }
  if (ok) FUngeleseneSeitendatei.clear();
  return ok;
}

bool TKiroXMLObjekt::AutorEintragSchreiben(void* pDaten) {
  const TAutor& a = *static_cast<const TAutor*>(pDaten);
  SchreibeInt(QStringLiteral("AutorID"), a.AutorID);
  Schreibe(QStringLiteral("AutorName"), a.Name);
  Schreibe(QStringLiteral("AutorEmail"), a.eMail);
  SchreibeFloat(QStringLiteral("AutorAufwand"), a.AufwandAlt);
  SchreibeFloat(QStringLiteral("AutorAufwandPunkte"), a.AufwandPunkte);
  SchreibeFloat(QStringLiteral("AutorAufwandStunden"), a.AufwandStunden);
  SchreibeIntEnum(QStringLiteral("AutorLizenz"), std::int32_t(a.Lizenz));
  Schreibe(QStringLiteral("AutorBeschreibung"), a.Bemerkung);
  return false;
}

bool TKiroXMLObjekt::DateiEintragSchreiben(void* pDaten) {
  const TDatei& d = *static_cast<const TDatei*>(pDaten);
  Schreibe(QStringLiteral("Dateiname"), d.Dateiname);
  SchreibeInt(QStringLiteral("inst"), std::int32_t(d.InstVerzeichnis));
  SchreibeBool(QStringLiteral("NurInfo"), d.NurInfo);
  return false;
}

// --- attribute writers: the outer document's writer first, then this object's own ---

void TKiroXMLObjekt::Schreibe(const QString& Kennung, const QString& Wert) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->Schreibe(Kennung, Wert);
  else if (XMLDatei)
    XMLDatei->Schreibe(Kennung, Wert);
}

void TKiroXMLObjekt::SchreibeInt(const QString& Kennung, std::int32_t Wert) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->SchreibeInt(Kennung, Wert);
  else if (XMLDatei)
    XMLDatei->SchreibeInt(Kennung, Wert);
}

void TKiroXMLObjekt::SchreibeIntEnum(const QString& Kennung, std::int32_t Wert) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->SchreibeIntEnum(Kennung, Wert);
  else if (XMLDatei)
    XMLDatei->SchreibeIntEnum(Kennung, Wert);
}

void TKiroXMLObjekt::SchreibeInt64(const QString& Kennung, std::int64_t Wert) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->SchreibeInt64(Kennung, Wert);
  else if (XMLDatei)
    XMLDatei->SchreibeInt(Kennung, Wert);
}

void TKiroXMLObjekt::SchreibeFloat(const QString& Kennung, float Wert) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->SchreibeFloat(Kennung, Wert);
  else if (XMLDatei)
    XMLDatei->SchreibeFloat(Kennung, Wert);
}

void TKiroXMLObjekt::SchreibeBool(const QString& Kennung, bool Wert) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->SchreibeBool(Kennung, Wert);
  else if (XMLDatei)
    XMLDatei->SchreibeBool(Kennung, Wert);
}

void TKiroXMLObjekt::SchreibeZeitDatum(const QString& Kennung, TDateTime Wert, bool Millisekunden) {
  if (FremdeXMLDatei)
    FremdeXMLDatei->SchreibeZeitDatum(Kennung, Wert, Millisekunden);
  else if (XMLDatei)
    XMLDatei->SchreibeZeitDatum(Kennung, Wert.Wert, Millisekunden);
}

}  // namespace kiro
