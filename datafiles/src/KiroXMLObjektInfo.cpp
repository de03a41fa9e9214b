// The header of a data file outside loading and saving: ratings, the description's extension,
// editing in the file-information dialog (reached through the component library's interface,
// so this library needs no widgets) and the HTML description from the language's template.
#include "datafiles/KiroXMLObjekt.h"
#include "KiroXMLObjektIntern.h"

#include "components/DateiInfoBearbeitung.h"
#include "foundation/Einstellungen.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Textdatei.h"
#include "platform/TempOrdner.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <exception>

namespace kiro {

QString intern::Sprachordner() {
  if (Einstellungen) return Einstellungen->Sprachordner;
  return Sprachtabelle ? Sprachtabelle->Sprachordner : QString();
}

namespace {

using intern::Sprachordner;

const QString kPlatzhalter = QStringLiteral("@TEXT@");
const QString kQuelle = QStringLiteral("src=\"");

// A template that keeps making new matches (a rule like "ab" -> "bbaa" never ends) stops here.
constexpr qsizetype kMaxErsetzungen = 10000;

QString ZielOrdner() {
  return Einstellungen ? Einstellungen->TempVerzeichnis(true) : platform::TempVerzeichnis();
}

// Copies one file the template names; only files below the language folder are taken, by
// their real path: a link in the folder may lead anywhere.
void QuelleKopieren(const QString& Sprachordner, const QString& Verweis, const QString& Ziel) {
  const auto quelle = SicherVerbinden(Programmverzeichnis, Sprachordner + Verweis);
  if (!quelle || Ziel.isEmpty()) return;
  const auto ordner = SicherVerbinden(Programmverzeichnis, Sprachordner);
  if (!ordner || !intern::ImOrdner(QFileInfo(*quelle).canonicalFilePath(), *ordner)) return;
  const QString name = Verweis.section(QRegularExpression(QStringLiteral("[\\\\/]")), -1);
  const auto ziel = SicherVerbinden(Ziel, name);
  if (!ziel) return;
  QByteArray inhalt;
  if (DateiLesen(*quelle, inhalt)) DateiErsetzen(*ziel, inhalt);
}

}  // namespace

void TKiroXMLObjekt::BewertungenEintragen(const TAutoren& NeueAutorendaten) {
  FDateiInfo.Autoren = NeueAutorendaten;
  FDateiInfo.Autoren.detach();
}

bool TKiroXMLObjekt::BewertungsvorschlagEintragen(float Wert) {
  const bool anders = !(Wert == FDateiInfo.AufwandAlgo);
  FDateiInfo.AufwandAlgo = Wert;
  return anders;
}

void TKiroXMLObjekt::BeschreibungErgaenzen(const QString& s) {
  FDateiInfo.Beschreibung += u'\t' + s;
  FGeaendert = true;
}

int TKiroXMLObjekt::InfoBearbeiten() {
  IDateiInfoBearbeitung* dialog = DateiInfoBearbeitung();
  if (!dialog) {
    Protokollieren(QString(), QStringLiteral("Kein Dialog für die Datei-Information vorhanden"), 2);
    return mrCancel;
  }
  TDateiInfoFelder f;
  f.Dateiname = FDateiInfo.Dateiname;
  f.Version = FDateiInfo.Version;
  f.ObjektID = FDateiInfo.ObjektID;
  TextZuListe(FDateiInfo.Beschreibung, f.Beschreibung);
  f.Autoren = FDateiInfo.Autoren;
  f.EinsatzAb = FDateiInfo.EinsatzAb;
  f.EinsatzBis = FDateiInfo.EinsatzBis;
  f.Kategorie = FDateiInfo.Kategorie;
  for (const TDatei& d : std::as_const(FDateiInfo.Dateien)) f.Dateien.append(d.Dateiname);

  int ergebnis = mrCancel;
  try {
    ergebnis = dialog->Bearbeiten(f);
  } catch (const std::exception& e) {
    Protokollieren(QString::fromLocal8Bit(e.what()), QStringLiteral("Datei-Information"), 2);
    return mrCancel;
  }
  if (ergebnis != mrOk) return ergebnis;

  FDateiInfo.Autoren = f.Autoren;
  FDateiInfo.Beschreibung = ListeZuText(f.Beschreibung);
  FDateiInfo.ObjektID = f.ObjektID;
  FDateiInfo.EinsatzAb = f.EinsatzAb;
  FDateiInfo.EinsatzBis = f.EinsatzBis;
  FDateiInfo.Kategorie = f.Kategorie;
  // A file that was listed before keeps its base folder and info-only flag (the dialog shows
  // only names); a new one is relative to the own data folder. Names compare as Windows does.
  QList<TDatei> vorher = FDateiInfo.Dateien;
  QList<TDatei> neu;
  for (const QString& name : std::as_const(f.Dateien)) {
    if (name.isEmpty()) continue;
    TDatei d;
    d.Dateiname = name;
    for (qsizetype i = 0; i < vorher.size(); ++i) {
      if (vorher[i].Dateiname.compare(name, Qt::CaseInsensitive) != 0) continue;
      d.InstVerzeichnis = vorher[i].InstVerzeichnis;
      d.NurInfo = vorher[i].NurInfo;
      vorher.removeAt(i);
      break;
    }
    neu.append(d);
  }
  FDateiInfo.Dateien = neu;
  FGeaendert = true;
  return ergebnis;
}

QString TKiroXMLObjekt::HtmlInfoErzeugen() {
  QString text;
  for (const QString* feld : {&FDateiInfo.DateiTyp, &FDateiInfo.Dateiname, &FDateiInfo.Version,
                              &FDateiInfo.Beschreibung, &FDateiInfo.Kategorie})
    text += feld->toHtmlEscaped() + QStringLiteral("<p>");
  QString ergebnis;
  HtmlVorlageFuellen(text, ergebnis);
  return ergebnis;
}

void TKiroXMLObjekt::HtmlVorlageFuellen(const QString& Text, QString& Ergebnis) {
  const QString sprache = Sprachordner();
  if (sprache.isEmpty()) return;
  // Every name below goes through the checked join, so a reference cannot leave this folder.
  const QString ordner = QStringLiteral("_InstSetup/language/") + sprache + u'/';
  const auto pfad = SicherVerbinden(Programmverzeichnis, ordner + QStringLiteral("basis.htm"));
  QString vorlage;
  if (!pfad || !TextdateiLesen(*pfad, vorlage)) return;
  const qsizetype anfang = Ergebnis.size();
  Ergebnis += TextZeilen(vorlage).join(QString());

  const QString ziel = ZielOrdner();
  for (qsizetype i = Ergebnis.indexOf(kQuelle, anfang); i >= 0; i = Ergebnis.indexOf(kQuelle, i + 1)) {
    const qsizetype start = i + kQuelle.size();
    const qsizetype ende = Ergebnis.indexOf(u'"', start);
    if (ende < 0) break;
    QuelleKopieren(ordner, Ergebnis.mid(start, ende - start), ziel);
  }
  AlleErsetzen(kPlatzhalter, Text, Ergebnis);
}

void TKiroXMLObjekt::AlleErsetzen(const QString& Alt, const QString& Neu, QString& Text) {
  if (Alt.isEmpty()) return;
  // Replacing again from the start would never end when the new text brings Alt back.
  if (Neu.contains(Alt)) {
    Text.replace(Alt, Neu);
    return;
  }
  qsizetype n = 0;
  for (qsizetype i = Text.indexOf(Alt); i >= 0; i = Text.indexOf(Alt)) {
    if (++n > kMaxErsetzungen) {
      Protokollieren(QString(), Formatieren(QStringLiteral("Ersetzen von \"%s\" abgebrochen"), {Alt}), 2);
      return;
    }
    Text.replace(i, Alt.size(), Neu);
  }
}

}  // namespace kiro
