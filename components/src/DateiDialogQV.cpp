#include "components/DateiDialogQV.h"

#include "components/DialogAnzeigen.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Dateitypen.h"
#include "foundation/Konvertierung.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"
#include "foundation/Textdatei.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

namespace kiro {

namespace {

constexpr int kZeilenMitBits = 64;  // rows 64 and 65 share bits 0 and 1 with rows 0 and 1

const TDateiTypensDef& Zeile(int i) { return DateiTypenTabelle[std::size_t(i)]; }

// Everything before the last separator, the separator kept; "" for a bare name.
QString OrdnerTeil(const QString& Pfad) {
  const qsizetype p = std::max(Pfad.lastIndexOf(u'/'), Pfad.lastIndexOf(u'\\'));
  return p < 0 ? QString() : Pfad.left(p + 1);
}

QString NameTeil(const QString& Pfad) { return Pfad.mid(OrdnerTeil(Pfad).size()); }

// A folder of the program's own (Startpfad) below a global folder, in native form.
QString OrdnerVerbinden(const QString& Basis, const QString& Relativ) {
  return Basis + QString(Relativ).replace(u'\\', u'/');
}

}  // namespace

QString QtMaske(const QString& Maske) {
  QStringList muster;
  for (const QString& m : Maske.split(u';', Qt::SkipEmptyParts)) {
    const QString t = m.trimmed();
    if (!t.isEmpty()) muster.append(t == u"*.*" ? QStringLiteral("*") : t);
  }
  return muster.isEmpty() ? QStringLiteral("*") : muster.join(u' ');
}

bool IstOrdnerLink(const QString& Datei) {
  const QString name = NameTeil(Datei).toUpper();
  return name.endsWith(QStringLiteral(".TXT")) &&
         name.contains(u'.' + Zeile(Datei_link_txt).Suffix.toUpper());
}

TKiroDateiDialog::TKiroDateiDialog(QWidget* parent, bool Speichern) : QFileDialog(parent), FSpeichern(Speichern) {
  setOption(QFileDialog::DontUseNativeDialog);
  if (Speichern) {
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);  // Qt asks before overwriting
  } else {
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
  }
}

int TKiroDateiDialog::ZeilenEintragen(bool Alle) {
  int zaehler = Alle ? 1 : 0;
  int position = 0;
  const auto bits = static_cast<std::uint64_t>(KiroFilter);
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    if (((bits >> (i % kZeilenMitBits)) & 1u) == 0) continue;
    const TDateiTypensDef& z = Zeile(i);
    FileTypes.append({z.Klartext, z.Dialogtext});
    if (Alle && i != Datei_alle) {
      TDateiTypEintrag& erster = FileTypes.first();
      if (erster.Name.isEmpty()) erster.Name = z.Klartext;
      if (!erster.Maske.isEmpty()) erster.Maske += QStringLiteral("; ");
      erster.Maske += z.Dialogtext;
    }
    ++zaehler;
    if (i == KiroFilterStart) {
      DefaultExtension = z.Suffix;
      position = zaehler;
    }
  }
  return position;
}

void TOpenDialogQV::Filtersetzen() {
  FileTypes.clear();
  if (AlleFiltern) FileTypes.append(TDateiTypEintrag{});
  const int position = ZeilenEintragen(AlleFiltern);
  FileTypes.append({Zeile(Datei_alle).Klartext, Zeile(Datei_alle).Dialogtext});
  FileTypeIndex = AlleFiltern ? 0 : (position > 0 ? position : 1);
}

void TSaveDialogQV::Filtersetzen() {
  FileTypes.clear();
  const int position = ZeilenEintragen(false);
  FileTypes.append({Zeile(Datei_alle).Klartext, Zeile(Datei_alle).Dialogtext});
  if (position > 0) FileTypeIndex = position;
}

void TKiroDateiDialog::StartordnerWaehlen() {
  const QString start = OrdnerVerbinden(Datenverzeichnis, Startpfad);
  if (FileName.isEmpty()) {
    DefaultFolder = start;
    return;
  }
  const QString datei = QString(FileName).replace(u'\\', u'/');
  const QString basis = Datenverzeichnis.isEmpty() ? QDir::currentPath() : Datenverzeichnis;
  const QString relativ = QDir::isAbsolutePath(datei) ? QDir(basis).relativeFilePath(datei) : datei;
  if (relativ.size() <= (FSpeichern ? 2 : 1)) return;
  // Outside the data folder (or with no common root) the dialog opens at the start folder.
  if (relativ.startsWith(QStringLiteral("..")) || QDir::isAbsolutePath(relativ)) {
    DefaultFolder = start;
    return;
  }
  QString ordner = OrdnerTeil(datei);
  if (ordner.size() > 1) ordner.chop(1);
  DefaultFolder = ordner;
}

void TKiroDateiDialog::Vorbereiten() {
  QStringList filter;
  for (const TDateiTypEintrag& e : std::as_const(FileTypes))
    filter.append(e.Name + QStringLiteral(" (") + QtMaske(e.Maske) + u')');
  setNameFilters(filter);
  if (!filter.isEmpty()) selectNameFilter(filter.at(std::clamp(FileTypeIndex - 1, 0, int(filter.size()) - 1)));
  // The all-files row's "*" is no extension to put on a typed name.
  setDefaultSuffix(DefaultExtension.contains(u'*') ? QString() : DefaultExtension);
  if (QDir::isAbsolutePath(DefaultFolder) && QFileInfo(DefaultFolder).isDir()) setDirectory(DefaultFolder);
  selectFile(FileName);
}

bool TKiroDateiDialog::LinkFolgen(const QString& Link) {
  QString text;
  QString fehler;
  if (!TextdateiLesen(Link, text, &fehler)) {
    FehlerMelden(QStringLiteral("Ordnerverweis \"%1\" kann nicht gelesen werden").arg(Link), fehler);
    FileName.clear();
    return false;
  }
  const QString basis = FSpeichern ? Datenverzeichnis : DatenverzeichnisOffiziell;
  const QString zeile = Trimmen(TextZeilen(text).value(0), true);
  QString ziel = basis;
  if (!zeile.isEmpty()) {
    // The line is the user's text: it may only name a folder below the base folder.
    const auto verbunden = SicherVerbindenOhneGrossKlein(basis, zeile);
    if (!verbunden) {
      FehlerMelden(QStringLiteral("Ordnerverweis \"%1\" nennt keinen Ordner unterhalb von \"%2\": %3")
                       .arg(Link, basis, zeile));
      FileName.clear();
      return false;
    }
    ziel = *verbunden;
  }
  DefaultFolder = ziel;
  FileTypeIndex = 1;
  FileName = NameTeil(Link);
  return true;
}

bool TKiroDateiDialog::Execute() {
  try {
    Filtersetzen();
    StartordnerWaehlen();
    FileName = NameTeil(FileName);
  } catch (const std::exception& e) {
    FehlerMelden(QStringLiteral("Dateiauswahl kann nicht vorbereitet werden"), QString::fromLocal8Bit(e.what()));
  }
  for (;;) {
    try {
      Vorbereiten();
      const int ergebnis = FAnzeigen ? FAnzeigen(*this) : exec();
      if (ergebnis != QDialog::Accepted) return false;
      const QString gewaehlt = selectedFiles().value(0);
      if (gewaehlt.isEmpty()) return false;
      if (!IstOrdnerLink(gewaehlt)) {
        FileName = gewaehlt;
        return true;
      }
      LinkFolgen(gewaehlt);
    } catch (const std::exception& e) {
      FehlerMelden(QStringLiteral("Fehler in der Dateiauswahl"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
      FehlerMelden(QStringLiteral("Fehler in der Dateiauswahl"));
    }
  }
}

bool TKiroDateiDialog::PfadundNameSetzen(const QString& Datei) {
  try {
    DefaultFolder = OrdnerTeil(Datei);
    FileName = Datei;
    return true;
  } catch (...) {
    return false;
  }
}

TOpenDialogQV::TOpenDialogQV(QWidget* parent) : TKiroDateiDialog(parent, false) {}

bool TOpenDialogQV::PfadundNameSetzen(const QString& Datei) {
  if (!TKiroDateiDialog::PfadundNameSetzen(Datei)) return false;
  try {
    Startpfad = RelativerPfad(DefaultFolder);
    return true;
  } catch (...) {
    return false;
  }
}

TSaveDialogQV::TSaveDialogQV(QWidget* parent) : TKiroDateiDialog(parent, true) {}

}  // namespace kiro
