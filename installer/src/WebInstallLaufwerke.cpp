// The removable drives of the main window: the drive picker, the search for a new stick on a
// device change, and the format of the selected drive.
#include "installer/WebInstallForm.h"

#include "foundation/Formatieren.h"
#include "foundation/Meldung.h"
#include "platform/Formatierer.h"
#include "platform/Laufwerksbeobachter.h"

#include <QAction>
#include <QComboBox>
#include <QEventLoop>

namespace kiro {

namespace {
// What makes a drive the same stick under another name (its device node, then its mount
// point): the device number, else the node; "" when the record has neither.
QString Geraetekennung(const platform::TWechsellaufwerk& w) { return w.MajorMinor.isEmpty() ? w.Geraet : w.MajorMinor; }
}  // namespace

void TFormWebInstall::ActionFormatierenExecute() {
  // The device is taken now, with the name the user saw; the format checks it again.
  const std::optional<platform::TWechsellaufwerk> gewaehlt = GewaehltesLaufwerk();
  if (!gewaehlt || Beschaeftigt()) return;
  QString laufwerk = gewaehlt->Name;
  while (laufwerk.size() > 1 && laufwerk.endsWith(u'/')) laufwerk.chop(1);
  const int antwort = MeldungZeigen(
      Formatieren(QStringLiteral("Soll das Laufwerk %s formatiert werden? Das ist nur nötig, wenn der Stick nicht "
                                 "korrekt arbeitet. Alle Daten auf dem Datenträger werden dabei gelöscht."),
                  {laufwerk}),
      TMsgDlgType::mtInformation, mbYes | mbNo, 0, mbNo);
  if (antwort == mrYes) LaufwerkFormatieren(*gewaehlt);
}

void TFormWebInstall::LaufwerkFormatieren(const platform::TWechsellaufwerk& Laufwerk) {
  TLaufSperre sperre(*this);
  auto fehlgeschlagen = [this](TLogZeile Zeile, const QString& Deutsch, const QString& Englisch) {
    // A program's message may run over several lines; the log line stays one line.
    const QString de = Formatieren(QStringLiteral("%d/%d...Formatieren fehlgeschlagen: %s"), {1, 2, Deutsch.simplified()});
    const QString en = Formatieren(QStringLiteral("%d/%d...format failed: %s"), {1, 2, Englisch.simplified()});
    if (Zeile.Index >= 0) LogZeileErsetzen(Zeile, de, en);
    else LogAnfuegen(de, en);
  };

  // The question gave time to pull the stick or plug another one in: only the same device,
  // still listed as removable, is formatted; where it is mounted now is taken from the list.
  std::optional<platform::TWechsellaufwerk> jetzt;
  for (const platform::TWechsellaufwerk& w : FUmgebung.Laufwerke())
    if (!Laufwerk.Geraet.isEmpty() && w.Geraet == Laufwerk.Geraet && w.MajorMinor == Laufwerk.MajorMinor) jetzt = w;
  if (!jetzt) {
    // No step has begun: the line carries no step number.
    LogAnfuegen(Formatieren(QStringLiteral("Formatieren fehlgeschlagen: %s ist kein angeschlossenes Wechsellaufwerk mehr"),
                            {Laufwerk.Name}),
                Formatieren(QStringLiteral("Format failed: %s is no longer a connected removable drive"), {Laufwerk.Name}));
    return;
  }

  // The stick leaves and comes back while it is formatted; it is not announced as new.
  FFormatGeraet = Geraetekennung(*jetzt);
  struct TFormatEnde {
    QString& Kennung;
    ~TFormatEnde() { Kennung.clear(); }
  } formatEnde{FFormatGeraet};

  std::unique_ptr<platform::TFormatierer> formatierer = FUmgebung.Formatierer ? FUmgebung.Formatierer() : nullptr;
  if (!formatierer) {
    fehlgeschlagen({}, QStringLiteral("kein Formatierprogramm"), QStringLiteral("no format program"));
    return;
  }
  // Connected before the start, so a result that comes at once is not missed.
  QEventLoop schleife;
  bool fertig = false, erfolg = false;
  QString grund;
  connect(formatierer.get(), &platform::TFormatierer::Fertig, &schleife, [&](bool Erfolg, const QString& Fehler) {
    fertig = true;
    erfolg = Erfolg;
    grund = Fehler;
    schleife.quit();
  });
  QString startfehler;
  if (!formatierer->Starten(jetzt->Geraet, jetzt->Eingehaengt ? jetzt->Name : QString(), &startfehler)) {
    fehlgeschlagen({}, startfehler, startfehler);
    return;
  }
  const TLogZeile zeile = LogAnfuegen(Formatieren(QStringLiteral("%d/%d...bitte warten"), {1, 2}),
                                      Formatieren(QStringLiteral("%d/%d...wait please"), {1, 2}));
  // The window stays alive meanwhile; the run's lock keeps the actions disabled. Device
  // changes (the unmount among them) are handled as they come and may add lines below.
  if (!fertig) schleife.exec();
  if (erfolg)
    LogZeileErsetzen(zeile, Formatieren(QStringLiteral("%d/%d...fertig"), {1, 2}),
                     Formatieren(QStringLiteral("%d/%d...ready"), {1, 2}));
  else
    fehlgeschlagen(zeile, grund, grund);
}

QStringList TFormWebInstall::LaufwerkslisteFuellen() {
  const QString gemerkt = ComboBoxQVUSBLaufwerk->currentText();
  const std::optional<platform::TWechsellaufwerk> vorher = GewaehltesLaufwerk();
  ComboBoxQVUSBLaufwerk->clear();
  FLaufwerksdaten = FUmgebung.Laufwerke();
  QStringList liste;
  for (const platform::TWechsellaufwerk& w : FLaufwerksdaten) liste.append(w.Name);
  ComboBoxQVUSBLaufwerk->addItems(liste);
  int index = ComboBoxQVUSBLaufwerk->findText(gemerkt, Qt::MatchExactly | Qt::MatchCaseSensitive);
  // The selected stick keeps its selection when its node is now mounted (or the other way),
  // and the stick being formatted gets it back when it returns.
  const QString kennung = vorher ? Geraetekennung(*vorher) : FFormatGeraet;
  for (qsizetype i = 0; index < 0 && !kennung.isEmpty() && i < FLaufwerksdaten.size(); ++i)
    if (Geraetekennung(FLaufwerksdaten[i]) == kennung) index = int(i);
  ComboBoxQVUSBLaufwerk->setCurrentIndex(index);
  return liste;
}

std::optional<platform::TWechsellaufwerk> TFormWebInstall::GewaehltesLaufwerk() const {
  const int i = ComboBoxQVUSBLaufwerk->currentIndex();
  if (i < 0 || i >= FLaufwerksdaten.size() || FLaufwerksdaten[i].Name != ComboBoxQVUSBLaufwerk->currentText())
    return std::nullopt;
  return FLaufwerksdaten[i];
}

// ---------------------------------------------------------------------------------------------
// Removable drives and device changes

void TFormWebInstall::IndexNeuAufnehmen() {
  FIndexedDriveList = LaufwerkslisteFuellen();
  FIndexedGeraete.clear();
  for (const platform::TWechsellaufwerk& w : FLaufwerksdaten)
    if (!Geraetekennung(w).isEmpty()) FIndexedGeraete.append(Geraetekennung(w));
}

void TFormWebInstall::NeuesLaufwerkSuchen(QString& Laufwerk) {
  const QStringList liste = LaufwerkslisteFuellen();
  Laufwerk.clear();
  // From the end: of several new drives the last by name is found. A known stick under a new
  // name (its node now mounted) and the stick being formatted coming back are not new.
  for (qsizetype i = liste.size() - 1; i >= 0; --i) {
    const QString kennung = i < FLaufwerksdaten.size() ? Geraetekennung(FLaufwerksdaten[i]) : QString();
    const bool bekannt =
        !kennung.isEmpty() && (FIndexedGeraete.contains(kennung) || kennung == FFormatGeraet);
    if (!FIndexedDriveList.contains(liste[i]) && !bekannt) {
      Laufwerk = liste[i];
      return;
    }
  }
}

void TFormWebInstall::WMDeviceChange(int Ereignis) {
  switch (Ereignis) {
    case platform::DBT_DEVNODES_CHANGED:
      OberflaecheAktualisieren();
      break;
    case platform::DBT_DEVICEARRIVAL: {
      // The watcher reports an arrival once the drive is listed (mounted or not), so there is
      // nothing to wait for.
      QString neu;
      NeuesLaufwerkSuchen(neu);
      if (!neu.isEmpty()) {
        IndexNeuAufnehmen();
        ComboBoxQVUSBLaufwerk->setCurrentIndex(ComboBoxQVUSBLaufwerk->findText(neu, Qt::MatchExactly | Qt::MatchCaseSensitive));
        LogAnfuegen(Formatieren(QStringLiteral("USB-Stick an Laufwerk %s gefunden"), {neu}),
                    Formatieren(QStringLiteral("USB stick detected (drive %s)"), {neu}));
      }
      OberflaecheAktualisieren();
      break;
    }
    case platform::DBT_DEVICEREMOVECOMPLETE:
      IndexNeuAufnehmen();
      OberflaecheAktualisieren();
      break;
    default:
      break;
  }
}

}  // namespace kiro
