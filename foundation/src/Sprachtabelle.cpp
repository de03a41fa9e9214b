#include "foundation/Sprachtabelle.h"

#include "foundation/Dateitypen.h"
#include "foundation/Einstellungen.h"
#include "foundation/Konvertierung.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "foundation/Textdatei.h"
#include "platform/TempOrdner.h"

#include <QFileInfo>
#include <QSaveFile>

#include <exception>

namespace kiro {

TSprachtabelle* Sprachtabelle = nullptr;

namespace {

qsizetype Prozentzeichen(const QString& s) { return s.count(u'%'); }

// Where the placeholder report goes: the settings' temp folder, else the user's own temp folder.
QString BerichtOrdner(QString* Fehler) {
  if (Einstellungen) return Einstellungen->TempVerzeichnis(true);
  return platform::TempVerzeichnis(Fehler);
}

}  // namespace

TSprachtabelle::TSprachtabelle() = default;
TSprachtabelle::~TSprachtabelle() = default;

TMehrsprachigEintrag TSprachtabelle::EintragLesen(const QString& Zeile) {
  const qsizetype p = Zeile.indexOf(u'=');  // 0-based position of the first "="
  // The one character on each side of "=" is the blank of "key = text", whatever it really is.
  if (p <= 0 || Zeile.size() < p + 3) return {};
  QString text = Zeile.mid(p + 2);
  if (text.startsWith(u'\'')) text.remove(0, 1);
  if (text.endsWith(u'\'')) text.chop(1);
  return {Zeile.left(p - 1), text};
}

void TSprachtabelle::Anfuegen(const QString& Schluessel, const QString& Text) {
  FVorhanden = true;
  if (!FIndex.contains(Schluessel)) FIndex.insert(Schluessel, int(FSchluessel.size()));
  FSchluessel.append(Schluessel);
  FTexte.append(Text);
}

int TSprachtabelle::Anzahl() const { return FVorhanden ? int(FSchluessel.size()) : 0; }

void TSprachtabelle::Leeren() {
  FVorhanden = false;
  FSchluessel.clear();
  FTexte.clear();
  FIndex.clear();
}

QString TSprachtabelle::TextHolen(const QString& Schluessel) {
  if (!Geladen && !FLaedt) Laden();
  if (!FVorhanden) return {};
  const auto it = FIndex.constFind(Schluessel);
  return it == FIndex.constEnd() ? QString() : FTexte.at(*it);
}

void TSprachtabelle::SpracheSetzen(const QString& Ordner) {
  if (GrossAZ(Ordner) == GrossAZ(Sprachordner)) return;
  Sprachordner = Ordner;
  Laden();
}

QString TSprachtabelle::Sprachdatei() const {
  return Programmverzeichnis + QStringLiteral("_InstSetup/language/") + Sprachordner + QStringLiteral("/text.txt");
}

void TSprachtabelle::Laden() {
  if (FLaedt) return;  // a text fetched while the report box is open must not start a second load
  FLaedt = true;
  Leeren();
  FSchluessel.reserve(2400);
  FTexte.reserve(2400);
  FIndex.reserve(2400);
  FVorhanden = true;
  StandardtexteEintragen();

  QStringList bericht;
  const QString pfad = Sprachdatei();
  if (QFileInfo::exists(pfad)) {
    // The file is user-edited: when it cannot be read, the built-in texts stay and one line says
    // why; nothing of it is applied half.
    // Only a regular file is read: a FIFO in its place would hang the load for ever.
    QString fehler;
    QStringList zeilen;
    try {
      QByteArray inhalt;
      if (DateiLesen(pfad, inhalt, &fehler)) zeilen = TextZeilen(TextEntschluesseln(inhalt));
    } catch (const std::exception& e) {
      fehler = QString::fromLocal8Bit(e.what());
      zeilen.clear();
    }
    if (!fehler.isEmpty())
      Protokollieren(fehler, QStringLiteral("Sprachdatei \"%1\" kann nicht gelesen werden").arg(pfad), 2);

    for (const QString& zeile : std::as_const(zeilen)) {
      const TMehrsprachigEintrag e = EintragLesen(zeile);
      if (e.IDString.isEmpty()) continue;
      const auto it = FIndex.constFind(e.IDString);
      if (it == FIndex.constEnd()) {
        Anfuegen(e.IDString, e.Bezeichnung);
        continue;
      }
      QString& alt = FTexte[*it];
      if (PlatzhalterPruefen && Prozentzeichen(alt) != Prozentzeichen(e.Bezeichnung))
        bericht.append(alt + QStringLiteral("  ->  ") + e.Bezeichnung);
      alt = e.Bezeichnung;
    }
  }

  QString berichtPfad;
  if (!bericht.isEmpty()) {
    QString fehler;
    const QString ordner = BerichtOrdner(&fehler);
    if (ordner.isEmpty()) {
      Protokollieren(fehler, QStringLiteral("Kein Ordner für den Sprachbericht \"language.txt\""), 2);
    } else {
      QSaveFile f(ordner + QStringLiteral("language.txt"));
      if (f.open(QIODevice::WriteOnly)) {
        f.write(bericht.join(u'\n').toUtf8() + '\n');
        if (f.commit()) berichtPfad = f.fileName();
      }
      if (berichtPfad.isEmpty())
        Protokollieren(f.errorString(),
                       QStringLiteral("Sprachbericht \"%1\" konnte nicht geschrieben werden").arg(f.fileName()), 2);
    }
  }

  Geladen = true;
  for (int i = 0; i < DateiTypAnzahl; ++i)
    DateiTypenTabelle[std::size_t(i)].Klartext = TextHolen(QStringLiteral("Datei_") + QString::number(i));
  FLaedt = false;

  // Shown last, with the catalogue complete: the box runs an event loop that may fetch texts.
  if (!berichtPfad.isEmpty())
    MeldungZeigen(QStringLiteral("Language errors see: ") + berichtPfad, TMsgDlgType::mtWarning, mbOK, 0);
}

TSprachtabelle* SprachtabelleErzeugen() {
  if (!Sprachtabelle) {
    Sprachtabelle = new TSprachtabelle;
    Sprachtabelle->Sprachordner = QStringLiteral("Deutsch");
  }
  return Sprachtabelle;
}

// Every text fetch expects the catalogue; the first one makes it when the host has not.
QString Text(const QString& Schluessel) { return SprachtabelleErzeugen()->TextHolen(Schluessel); }

}  // namespace kiro
