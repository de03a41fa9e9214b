// The stick build: the parts that the first script lists are downloaded until their CRC-32
// matches, joined into the master archive, unpacked into the target folder and checked against
// the second script; on success the work folder goes and the file manager shows the result.
#include "installer/WebInstallForm.h"

#include "Arbeitsordner.h"
#include "WebInstallIntern.h"
#include "datafiles/ScriptPruefung.h"
#include "foundation/CRC32.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Kern.h"
#include "foundation/Dateitypen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Pfade.h"
#include "foundation/SevenZip.h"
#include "platform/Shell.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProgressBar>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace kiro {

namespace {

const QString kMasterScript = QStringLiteral("masterdateien35.script.xml");
// No script lists its own size: a script body is stopped here (far above any real script), so a
// server that never ends one cannot fill the target's disk.
constexpr qint64 kScriptHoechstens = qint64(64) << 20;
// A part that still does not match after this many fetches in one run is not fetched again:
// a server that keeps sending the wrong bytes would otherwise hold the run for ever.
constexpr int kMaxAbrufe = 3;
constexpr qint64 kKopierpuffer = 1 << 20;
// The kernel copies this much at a time; the window's events are handled between the pieces.
constexpr std::size_t kKernkopie = std::size_t(32) << 20;
constexpr qsizetype kEntfernHelfer = 3;

// A missing or unreadable file never matches, not even a Hashwert of 0. The sum taken while
// this process wrote the file (download, unpack) counts while the file is unchanged since;
// any other file is read.
bool Passt(const std::optional<QString>& Pfad, const TScriptDateiInfo& Eintrag) {
  if (!Pfad) return false;
  const std::optional<TDateiPruefsumme> s = DateiCRC32GemerktOderLesen(*Pfad);
  return s && s->Crc == Eintrag.Hashwert;
}

// The same for the file Eintrag names below the folder held open as Ordner, reached name by
// name as the unpack wrote it: also a file deeper than the longest path the system takes.
bool PasstUnter(int Ordner, const TScriptDateiInfo& Eintrag) {
  // O_NONBLOCK: a fifo in the way must not hold the check; only a regular file is read.
  const int fd = SicherOeffnenOhneGrossKlein(Ordner, Eintrag.Datei.Dateiname, O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  const std::optional<TDateiPruefsumme> s = DateiCRC32GemerktOderLesen(fd);
  ::close(fd);
  return s && s->Crc == Eintrag.Hashwert;
}

const TScriptDateiInfo* DateiEintrag(const TScript& Script, int Index) {
  return dynamic_cast<const TScriptDateiInfo*>(Script.Kommandos[std::size_t(Index)].get());
}

// Whether Name is one of Eigene, the build's own files in the work folder (in any letter case,
// as Windows names).
bool EigenerName(const QString& Name, const QStringList& Eigene) {
  const std::optional<QStringList> teile = SichereKomponenten(Name);
  return teile && teile->size() == 1 && Eigene.contains(teile->first(), Qt::CaseInsensitive);
}

// Appends the part Name to the master file open as Ausgabe (MasterPfad, MasterSt its name and
// status). "" when done or stopped (Beenden, seen between the pieces), else the file and the
// system's reason.
QString TeilAnhaengen(const TArbeitsordner& Arbeit, const QString& Name, int Ausgabe, const QString& MasterPfad,
                      const struct stat& MasterSt, std::vector<char>& Puffer, const bool& Beenden) {
  const QString pfad = Arbeit.Pfad() + QString(Name).replace(u'\\', u'/');
  const int teil = Arbeit.DateiOeffnen(Name, O_RDONLY);
  if (teil < 0) return pfad + QStringLiteral(": ") + SystemFehlertext(errno);
  QString fehler;
  struct stat st {};
  // The file being written is never read: it would grow for as long as there is room.
  if (::fstat(teil, &st) != 0 || (st.st_dev == MasterSt.st_dev && st.st_ino == MasterSt.st_ino)) {
    fehler = pfad + QStringLiteral(": ") + SystemFehlertext(EINVAL);
  }
  // The kernel copies between the files, as cat does, without the bytes passing through this
  // process. Where it cannot (another file system, no support, any error), the copy buffer takes
  // over from where it stopped and names the file that failed.
  while (fehler.isEmpty()) {
    const ssize_t n = ::copy_file_range(teil, nullptr, Ausgabe, nullptr, kKernkopie, 0);
    if (n <= 0) break;
    EreignisseVerarbeiten();
    if (Beenden) {
      ::close(teil);
      return {};
    }
  }
  std::size_t seitEreignissen = 0;
  while (fehler.isEmpty() && !Beenden) {
    if (Puffer.empty()) Puffer.resize(std::size_t(kKopierpuffer));
    const ssize_t n = ::read(teil, Puffer.data(), Puffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fehler = pfad + QStringLiteral(": ") + SystemFehlertext(errno);
    if (n <= 0) break;
    if (!AllesSchreiben(Ausgabe, Puffer.data(), std::size_t(n)))
      fehler = MasterPfad + QStringLiteral(": ") + SystemFehlertext(errno);
    seitEreignissen += std::size_t(n);
    if (seitEreignissen >= kKernkopie) {
      seitEreignissen = 0;
      EreignisseVerarbeiten();
    }
  }
  ::close(teil);
  return fehler;
}

// Removes the files Namen from the work folder. Freeing a large file's blocks is most of what
// its removal costs, and that runs side by side for different files, in helper threads while
// the window keeps answering.
void DateienEntfernen(const TArbeitsordner& Arbeit, const QStringList& Namen) {
  std::atomic<qsizetype> naechster{0};
  std::atomic<int> laufend{0};
  QEventLoop schleife;
  auto entfernen = [&] {
    for (qsizetype i = naechster++; i < Namen.size(); i = naechster++) Arbeit.DateiEntfernen(Namen[i]);
  };
  // The last helper to end, or a helper that could not start after it, ends the wait.
  auto beendet = [&] {
    if (--laufend == 0) QMetaObject::invokeMethod(&schleife, &QEventLoop::quit, Qt::QueuedConnection);
  };
  std::vector<std::thread> helfer;
  try {
    for (qsizetype k = 0; k < std::min<qsizetype>(kEntfernHelfer + 1, Namen.size()); ++k) {
      ++laufend;
      helfer.emplace_back([&] {
        entfernen();
        beendet();
      });
    }
  } catch (const std::system_error&) {
    // Fewer threads, or none: then the files are removed here, one after the other.
    beendet();
  }
  if (helfer.empty()) entfernen();
  else schleife.exec();
  for (std::thread& t : helfer) t.join();
}

}  // namespace

// Lets the downloads of one run write into the work folder the run holds open.
struct TFormWebInstall::TStickArbeitsordnerSetzen {
  TStickArbeitsordnerSetzen(const TArbeitsordner*& Feld, const TArbeitsordner& Ordner) : FFeld(Feld) {
    FFeld = &Ordner;
  }
  ~TStickArbeitsordnerSetzen() { FFeld = nullptr; }
  TStickArbeitsordnerSetzen(const TStickArbeitsordnerSetzen&) = delete;
  TStickArbeitsordnerSetzen& operator=(const TStickArbeitsordnerSetzen&) = delete;
  const TArbeitsordner*& FFeld;
};

bool TFormWebInstall::StickScriptBrauchbar(const TGeprueftesScript& Script, const QString& Name) {
  if (Script.Brauchbar()) return true;
  // The script itself was fetched; what is wrong with it is told here, the details of each
  // entry went to the program's log when it was read.
  if (!Script.Gefunden || !Script.Vollstaendig)
    LogAnfuegen(Formatieren(QStringLiteral("Script %s konnte nicht vollständig gelesen werden"), {Name}),
                Formatieren(QStringLiteral("Script %s could not be read completely"), {Name}));
  else if (Script.Dateien.isEmpty() && Script.Abgelehnt.isEmpty())
    LogAnfuegen(Formatieren(QStringLiteral("Script %s enthält keine Dateieinträge"), {Name}),
                Formatieren(QStringLiteral("Script %s holds no file entries"), {Name}));
  for (const TScriptDateiInfo* e : Script.Abgelehnt)
    LogAnfuegen(Formatieren(QStringLiteral("Script %s: unzulässiger Dateiname %s"), {Name, e->Datei.Dateiname}),
                Formatieren(QStringLiteral("Script %s: file name %s refused"), {Name, e->Datei.Dateiname}));
  for (const TScriptDateiInfo* e : Script.OhneHashwert)
    LogAnfuegen(Formatieren(QStringLiteral("Script %s: %s ohne gültigen Hashwert"), {Name, e->Datei.Dateiname}),
                Formatieren(QStringLiteral("Script %s: %s has no valid hash value"), {Name, e->Datei.Dateiname}));
  return false;
}

void TFormWebInstall::StickErstellen() {
  TAbbrechenSichtbar abbrechenSichtbar(ActionAbbrechen);
  // A program that is ending builds nothing: every step below then stops at once.
  Abbrechen = FBeenden;

  // Taken once; the folder choice is locked while the run lasts.
  const QString ziel = FVerzRechnerInst;
  if (ziel.isEmpty()) {
    // Every path below would be relative to the current folder.
    LogAnfuegen(QStringLiteral("Kein Zielverzeichnis gewählt; der neue Stick wird nicht erstellt"),
                QStringLiteral("No target directory chosen; the new stick is not built"));
    return;
  }
  // Held open for the whole run: every file of the build is reached through it.
  const TArbeitsordner arbeit(ziel, kStickArbeitsordner);
  if (!arbeit.Offen()) {
    if (arbeit.Belegt())
      LogAnfuegen(Formatieren(QStringLiteral("Arbeitsordner %s wird von einem anderen Lauf benutzt; der neue Stick "
                                             "wird nicht erstellt"),
                              {arbeit.Pfad()}),
                  Formatieren(QStringLiteral("Work folder %s is in use by another run; the new stick is not built"),
                              {arbeit.Pfad()}));
    else if (arbeit.IstVerweis())
      LogAnfuegen(Formatieren(QStringLiteral("Arbeitsordner %s ist ein symbolischer Verweis; der neue Stick wird "
                                             "nicht erstellt"),
                              {arbeit.Pfad()}),
                  Formatieren(QStringLiteral("Work folder %s is a symbolic link; the new stick is not built"),
                              {arbeit.Pfad()}));
    else
      LogAnfuegen(Formatieren(QStringLiteral("Arbeitsordner %s kann nicht angelegt werden: %s; der neue Stick wird "
                                             "nicht erstellt"),
                              {arbeit.Pfad(), SystemFehlertext(arbeit.Fehler())}),
                  Formatieren(QStringLiteral("Cannot create work folder %s: %s; the new stick is not built"),
                              {arbeit.Pfad(), SystemFehlertext(arbeit.Fehler())}));
    return;
  }
  const TStickArbeitsordnerSetzen arbeitsordnerSetzen(FStickArbeitsordner, arbeit);
  // Readers that take a path reach the open folder through this one.
  const QString zugang = arbeit.Zugang();
  const QString masterName = QStringLiteral("stick35.") + DateiTypenTabelle[Datei_7z].Suffix;

  // Phase 1: the first script and the download loop.
  const bool scriptGeladen = StickDateiLaden(kStickScript, 0, kScriptHoechstens);
  // A program that is ending reads no script it did not get.
  if (FBeenden) {
    LogAnfuegen(QStringLiteral("Download noch nicht komplett"), QStringLiteral("Download not complete"));
    return;
  }
  const TGeprueftesScript script1 = GeprueftesScriptLaden(zugang, kStickScript);
  const int N = int(script1.Script->Kommandos.size());
  const TLogZeile downloadZeile = LogAnfuegen(Formatieren(QStringLiteral("Download %d/%d"), {0, N}));

  bool ok = !Abbrechen;
  if (scriptGeladen && !StickScriptBrauchbar(script1, kStickScript)) ok = false;
  // A part named like one of the build's own files would overwrite it, or be joined into itself.
  for (const TScriptDateiInfo* eintrag : script1.Dateien) {
    if (!EigenerName(eintrag->Datei.Dateiname, {kStickScript, kMasterScript, masterName})) continue;
    LogAnfuegen(
        Formatieren(QStringLiteral("Script %s: unzulässiger Dateiname %s"), {kStickScript, eintrag->Datei.Dateiname}),
        Formatieren(QStringLiteral("Script %s: file name %s refused"), {kStickScript, eintrag->Datei.Dateiname}));
    ok = false;
  }
  if (ok) {
    int i = 0;
    int abrufe = 0;  // fetches of part i in this run
    while (i <= N - 1 && !Abbrechen) {
      EreignisseVerarbeiten();
      if (Abbrechen) break;
      const TScriptDateiInfo* eintrag = DateiEintrag(*script1.Script, i);
      if (!eintrag) {
        ++i;
        continue;
      }
      if (Passt(SicherVerbinden(zugang, eintrag->Datei.Dateiname), *eintrag)) {
        ok = true;
        ++i;
        abrufe = 0;
        continue;
      }
      ok = false;
      if (abrufe == kMaxAbrufe) {
        LogAnfuegen(Formatieren(QStringLiteral("Teil %s: Prüfsumme (CRC-32) stimmt auch nach %d Downloads nicht"),
                                {eintrag->Datei.Dateiname, kMaxAbrufe}),
                    Formatieren(QStringLiteral("Part %s: checksum (CRC-32) still does not match after %d downloads"),
                                {eintrag->Datei.Dateiname, kMaxAbrufe}));
        break;
      }
      LogZeileErsetzen(downloadZeile, Formatieren(QStringLiteral("Download %d/%d"), {i + 1, N}));
      ++abrufe;
      StickDateiLaden(eintrag->Datei.Dateiname, eintrag->Groesse);
    }
  }
  if (Abbrechen || !ok) {
    // The parts that arrived stay, so the next run fetches only those that do not match yet.
    LogAnfuegen(QStringLiteral("Download noch nicht komplett"), QStringLiteral("Download not complete"));
    return;
  }
  LogAnfuegen(QStringLiteral("Download vollständig"), QStringLiteral("download complete"));

  // Phase 2: the master file, the parts joined in script order.
  const TLogZeile masterZeile =
      LogAnfuegen(Formatieren(QStringLiteral("Masterdatei erstellen/producing master file %d/%d"), {0, N}));
  QString schreibfehler;
  bool masterAngelegt = false;
  {
    const int ausgabe = arbeit.DateiOeffnen(masterName, O_WRONLY | O_CREAT | O_TRUNC);
    masterAngelegt = ausgabe >= 0;
    struct stat masterSt {};
    if (ausgabe < 0 || ::fstat(ausgabe, &masterSt) != 0)
      schreibfehler = arbeit.Pfad() + masterName + QStringLiteral(": ") + SystemFehlertext(errno);
    std::vector<char> puffer;
    // The program may be asked to end at any step: the join is no exception.
    for (int i = 0; i <= N - 1 && schreibfehler.isEmpty() && !FBeenden; ++i) {
      EreignisseVerarbeiten();
      if (FBeenden) break;
      LogZeileErsetzen(masterZeile, Formatieren(QStringLiteral("Masterdatei erstellen %d/%d"), {i + 1, N}),
                       Formatieren(QStringLiteral("Producing master file %d/%d"), {i + 1, N}));
      const TScriptDateiInfo* eintrag = DateiEintrag(*script1.Script, i);
      if (!eintrag) continue;
      schreibfehler = TeilAnhaengen(arbeit, eintrag->Datei.Dateiname, ausgabe, arbeit.Pfad() + masterName, masterSt,
                                    puffer, FBeenden);
    }
    if (ausgabe >= 0 && ::close(ausgabe) != 0 && schreibfehler.isEmpty())
      schreibfehler = arbeit.Pfad() + masterName + QStringLiteral(": ") + SystemFehlertext(errno);
  }
  auto unvollstaendig = [this] {
    LogAnfuegen(QStringLiteral("Neuer Stick wurde unvollständig entzippt"),
                QStringLiteral("New stick was not unzipped completely"));
  };
  // Once the target's file system has gone (a stick pulled, a lazy unmount), its path names the
  // folder on the disk below: nothing is unpacked there, and no check by path may pass.
  auto zielVerschwunden = [&] {
    if (arbeit.ZielUnveraendert()) return false;
    LogAnfuegen(Formatieren(QStringLiteral("Zielverzeichnis %s ist nicht mehr vorhanden (Laufwerk entfernt?)"), {ziel}),
                Formatieren(QStringLiteral("Target directory %s is gone (drive removed?)"), {ziel}));
    unvollstaendig();
    return true;
  };
  if (FBeenden && schreibfehler.isEmpty()) {
    // A half master file is of no use to the next run: it joins the parts anew.
    if (masterAngelegt) arbeit.DateiEntfernen(masterName);
    unvollstaendig();
    return;
  }
  if (!schreibfehler.isEmpty()) {
    // Nothing is unpacked from a master file that is not whole; what stood in its way stays.
    if (masterAngelegt) arbeit.DateiEntfernen(masterName);
    LogAnfuegen(Formatieren(QStringLiteral("Masterdatei konnte nicht erstellt werden: %s"), {schreibfehler}),
                Formatieren(QStringLiteral("Could not produce the master file: %s"), {schreibfehler}));
    unvollstaendig();
    return;
  }
  LogAnfuegen(QStringLiteral("Masterdatei erstellt"), QStringLiteral("Master file complete"));
  LogAnfuegen(QStringLiteral("Masterdatei entpacken"), QStringLiteral("Unzipping master file"));

  // Phase 3: unpack into the target as it was opened; a failure has shown its error box.
  if (zielVerschwunden()) return;
  if (!SevenZipEntpacken(zugang + masterName, ziel, ProgressBarInstaller, arbeit.ZielDeskriptor(),
                         [this] { return FBeenden; }) ||
      FBeenden) {
    unvollstaendig();
    return;
  }

  // Phase 4: the second script and the check of every unpacked file.
  const bool script2Geladen = StickDateiLaden(kMasterScript, 0, kScriptHoechstens);
  if (FBeenden) {
    unvollstaendig();
    return;
  }
  const TGeprueftesScript script2 = GeprueftesScriptLaden(zugang, kMasterScript);
  const int M = int(script2.Script->Kommandos.size());
  const TLogZeile P = LogAnfuegen(Formatieren(QStringLiteral("Dateien für neuen Stick prüfen %d/%d"), {0, M}),
                                  Formatieren(QStringLiteral("Checking files for new stick %d/%d"), {0, M}));
  bool ok2 = !Abbrechen;
  if (script2Geladen && !StickScriptBrauchbar(script2, kMasterScript)) ok2 = false;
  if (ok2 && zielVerschwunden()) return;
  const bool pruefen = ok2;
  for (int j = 0; pruefen && j <= M - 1 && !Abbrechen; ++j) {
    LogZeileErsetzen(P, Formatieren(QStringLiteral("Dateien für neuen Stick prüfen %d/%d"), {j + 1, M}),
                     Formatieren(QStringLiteral("Checking files for new stick %d/%d"), {j + 1, M}));
    EreignisseVerarbeiten();
    const TScriptDateiInfo* eintrag = DateiEintrag(*script2.Script, j);
    if (!eintrag) continue;
    // Windows names: the script's case need not be the archive's.
    if (!PasstUnter(arbeit.ZielDeskriptor(), *eintrag)) {
      LogAnfuegen(Formatieren(QStringLiteral("Dateienversion falsch %s"), {eintrag->Datei.Dateiname}),
                  Formatieren(QStringLiteral("Wrong file version %s"), {eintrag->Datei.Dateiname}));
      // Every wrong file gets its line: the loop goes on.
      ok2 = false;
    }
  }
  if (Abbrechen || !ok2) {
    // The work folder stays with its parts, scripts and master file.
    unvollstaendig();
    return;
  }
  if (zielVerschwunden()) return;

  // Clean-up: only this build's own files, then the folder when nothing else is left in it.
  QStringList eigene{kStickScript, kMasterScript};
  for (const TScriptDateiInfo* eintrag : script1.Dateien) eigene << eintrag->Datei.Dateiname;
  eigene << masterName;
  DateienEntfernen(arbeit, eigene);
  arbeit.OrdnerEntfernen();
  LogAnfuegen(Formatieren(QStringLiteral("Neue Daten liegen im Verzeichnis %s"), {ziel}),
              Formatieren(QStringLiteral("You find the new data in directory %s"), {ziel}));
  if (FUmgebung.Shell) FUmgebung.Shell->Oeffnen(ziel);
}

}  // namespace kiro
