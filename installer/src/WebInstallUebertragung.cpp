// The main window's transfers from the update server: the server test of every refresh, the
// edition archive of the install and the files of the stick build, each with the reason of a
// failure in the window's language, and the progress bar that follows them.
#include "installer/WebInstallForm.h"

#include "Arbeitsordner.h"
#include "WebInstallIntern.h"
#include "datafiles/ScriptPruefung.h"
#include "foundation/CRC32.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Kern.h"
#include "foundation/Pfade.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace kiro {

// ---------------------------------------------------------------------------------------------
// Update-server transfers

QString TFormWebInstall::ServerHost() const { return QUrl(FUmgebung.UpdateServer).host(); }

int TFormWebInstall::ServerPort() const {
  const QUrl url(FUmgebung.UpdateServer);
  return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

QString TFormWebInstall::ServerUrl(const QString& Pfad) const {
  QString basis = FUmgebung.UpdateServer;
  while (basis.endsWith(u'/')) basis.chop(1);
  return basis + QString::fromLatin1(QUrl::toPercentEncoding(Pfad, "/"));
}

bool TFormWebInstall::Uebertragen(THttpFehler& Fehler, const std::function<bool()>& Anfrage) {
  // A program that is ending starts no transfer: the server might hold it for as long as it likes.
  if (FBeenden) {
    Fehler = {};
    Fehler.Art = THttpFehler::TArt::Abgebrochen;
    return false;
  }
  const bool ok = Anfrage();
  AusstehendeAusfuehren();
  return ok;
}

bool TFormWebInstall::ServerErreichbar() {
  // A program that is ending, or a window about to close, asks the server nothing more: the
  // last answer stands.
  if (Endet()) return FServerOk;
  if (IdHTTPDateien->Laeuft()) return false;
  THttpFehler fehler;
  const bool ok = IdHTTPDateien->HolenText(ServerUrl(QStringLiteral("/db/servertest.txt")), nullptr, &fehler);
  if (!ok) {
    LogAnfuegen(Formatieren(QStringLiteral("Host:%s  Port:%d"), {ServerHost(), ServerPort()}));
    GrundAnfuegen(fehler);
  }
  return ok;
}

std::pair<QString, QString> TFormWebInstall::Grund(const THttpFehler& Fehler) const {
  if (Fehler.Art == THttpFehler::TArt::Schema) {
    THttpFehler basis = Fehler;
    basis.Text = FUmgebung.UpdateServer;
    return {QStringLiteral("KIRO_UPDATE_SERVER ") + basis.Deutsch(), QStringLiteral("KIRO_UPDATE_SERVER ") + basis.Englisch()};
  }
  return {Fehler.Deutsch(), Fehler.Englisch()};
}

void TFormWebInstall::GrundAnfuegen(const THttpFehler& Fehler, const QString& Was) {
  const auto [de, en] = Grund(Fehler);
  if (!Was.isEmpty())
    LogAnfuegen(Formatieren(QStringLiteral("Grund: %s: %s"), {Was, de}),
                Formatieren(QStringLiteral("Reason: %s: %s"), {Was, en}));
  else
    LogAnfuegen(Formatieren(QStringLiteral("Grund: %s"), {de}), Formatieren(QStringLiteral("Reason: %s"), {en}));
}

namespace {

// A download's file, written straight to its descriptor in large blocks. The CRC-32 is taken
// from the bytes as they are written and kept for the file, so the check that follows the
// download finds it without reading the part again.
class TSummierteDatei final : public QIODevice {
 public:
  explicit TSummierteDatei(int Deskriptor) : FDeskriptor(Deskriptor) {
    FPuffer.reserve(kBlock);
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  ~TSummierteDatei() override {
    if (FDeskriptor >= 0) ::close(FDeskriptor);
  }
  TSummierteDatei(const TSummierteDatei&) = delete;
  TSummierteDatei& operator=(const TSummierteDatei&) = delete;

  bool isSequential() const override { return true; }

  // Writes the rest and closes the file; the sum is kept only when every byte and the close
  // succeeded. 0, or the error number of the first failure.
  int Schliessen(const QString& Pfad) {
    if (FDeskriptor < 0) return FFehler;
    Leeren();
    struct stat st {};
    const bool status = FFehler == 0 && ::fstat(FDeskriptor, &st) == 0;
    if (::close(FDeskriptor) != 0 && FFehler == 0) FFehler = errno;
    FDeskriptor = -1;
    QIODevice::close();
    if (FFehler == 0 && status) CRC32Merken(st, Pfad, FCrc, FGeschrieben);
    return FFehler;
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* Daten, qint64 Laenge) override {
    if (FFehler != 0 || FDeskriptor < 0) return -1;
    FPuffer.insert(FPuffer.end(), Daten, Daten + Laenge);
    if (FPuffer.size() >= kBlock && !Leeren()) return -1;
    return Laenge;
  }

 private:
  static constexpr std::size_t kBlock = 256 << 10;

  bool Leeren() {
    if (FFehler != 0) return false;
    if (!AllesSchreiben(FDeskriptor, FPuffer.data(), FPuffer.size())) {
      FFehler = errno;
      return false;
    }
    FCrc = CRC32Weiter(FCrc, FPuffer.data(), FPuffer.size());
    FGeschrieben += FPuffer.size();
    FPuffer.clear();
    return true;
  }

  int FDeskriptor;
  std::vector<char> FPuffer;
  std::uint32_t FCrc = 0;
  std::uint64_t FGeschrieben = 0;
  int FFehler = 0;
};

}  // namespace

bool TFormWebInstall::EditionsarchivLaden(int Art, QString& Pfad) {
  Pfad = FTempSystemverzeichnis + QStringLiteral("stick.7z");
  // A device change handled once the transfer has ended may add a line below this one.
  const TLogZeile zeile = LogAnfuegen(Formatieren(QStringLiteral("Download %s"), {Pfad}));
  EreignisseVerarbeiten();
  auto fehlgeschlagen = [this](const QString& grund, const QString& reason) {
    LogAnfuegen(Formatieren(QStringLiteral("Download fehlgeschlagen: %s"), {grund}),
                Formatieren(QStringLiteral("Download failed: %s"), {reason}));
    return false;
  };
  QString pfadServer;
  if (Art == 1) pfadServer = QStringLiteral("/db/lehr.7z");
  else if (Art == 2) pfadServer = QStringLiteral("/kirocbt/stick.7z");
  else return fehlgeschlagen(QStringLiteral("Art %1").arg(Art), QStringLiteral("kind %1").arg(Art));
  if (FTempSystemverzeichnis.isEmpty()) return fehlgeschlagen(QStringLiteral("kein Temp-Ordner"), QStringLiteral("no temp folder"));
  if (IdHTTPDateien->Laeuft())
    return fehlgeschlagen(QStringLiteral("eine andere Übertragung läuft noch"), QStringLiteral("another transfer is running"));

  // An archive of an earlier run must never be taken for this one.
  if (QFileInfo::exists(Pfad) && !QFile::remove(Pfad)) return fehlgeschlagen(Pfad, Pfad);
  const QString teil = Pfad + QStringLiteral(".part");
  const int fd = ::open(QFile::encodeName(teil).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    const QString grund = teil + QStringLiteral(": ") + SystemFehlertext(errno);
    return fehlgeschlagen(grund, grund);
  }
  TSummierteDatei datei(fd);
  THttpFehler fehler;
  bool ok = false;
  {
    // As in the stick build: Cancel ends a download that would otherwise run as long as the
    // server sends.
    const TAbbrechenSichtbar abbrechenSichtbar(ActionAbbrechen);
    ok = Uebertragen(fehler, [&] { return IdHTTPDateien->Holen(ServerUrl(pfadServer), datei, &fehler); });
  }
  const int schreibfehler = datei.Schliessen(teil);
  // What a cancelled transfer brought (Cancel, or the program is ending) would only hold the
  // room; what a failed one brought stays as it arrived.
  if (!ok && fehler.Art == THttpFehler::TArt::Abgebrochen) QFile::remove(teil);
  // A write that failed ended the transfer, too: its reason is the one to tell.
  if (schreibfehler) {
    const QString grund = teil + QStringLiteral(": ") + SystemFehlertext(schreibfehler);
    return fehlgeschlagen(grund, grund);
  }
  if (!ok) {
    const auto [de, en] = Grund(fehler);
    return fehlgeschlagen(de, en);
  }
  if (!QFile::rename(teil, Pfad)) return fehlgeschlagen(Pfad, Pfad);
  LogZeileErsetzen(zeile, QStringLiteral("Download abgeschlossen"), QStringLiteral("Download complete"));
  return true;
}

bool TFormWebInstall::StickDateiLaden(const QString& Dateiname, qint64 Groesse, qint64 Hoechstens) {
  // One of many files failed: the reason names it.
  auto serverFehler = [this, &Dateiname](const THttpFehler& Fehler) {
    LogAnfuegen(QStringLiteral("Kiro-Server konnte nicht erreicht werden. Evtl. besteht keine Internetverbindung."),
                QStringLiteral("No connection to the Kiro server. Maybe there is noc internet connection"));
    GrundAnfuegen(Fehler, Dateiname);
    Abbrechen = true;
    return false;
  };
  // A failure on this computer is not the server's: the line names the file and the reason.
  auto lokalerFehler = [this](const QString& Datei, const QString& Grund) {
    LogAnfuegen(Formatieren(QStringLiteral("Download fehlgeschlagen: %s: %s"), {Datei, Grund}),
                Formatieren(QStringLiteral("Download failed: %s: %s"), {Datei, Grund}));
    Abbrechen = true;
    return false;
  };
  if (IdHTTPDateien->Laeuft()) return lokalerFehler(Dateiname, QStringLiteral("another transfer is running"));
  // Without a target folder the work folder would land in the current folder.
  if (FVerzRechnerInst.isEmpty()) return lokalerFehler(Dateiname, QStringLiteral("no target folder"));
  if (!ScriptDateinameZulaessig(Dateiname)) return lokalerFehler(Dateiname, QStringLiteral("file name refused"));
  // The one place where the stick build's downloads are written: inside the real work folder,
  // never through a link.
  std::optional<TArbeitsordner> eigener;
  const TArbeitsordner& arbeit =
      FStickArbeitsordner ? *FStickArbeitsordner : eigener.emplace(FVerzRechnerInst, kStickArbeitsordner);
  QString name = Dateiname;
  name.replace(u'\\', u'/');
  const QString pfad = arbeit.Pfad() + name;
  if (!arbeit.Offen()) return lokalerFehler(pfad, SystemFehlertext(arbeit.Fehler()));
  const int fd = arbeit.DateiOeffnen(Dateiname, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return lokalerFehler(pfad, SystemFehlertext(errno));
  TSummierteDatei datei(fd);
  THttpFehler uebertragung;
  const bool ok = Uebertragen(uebertragung, [&] {
    return IdHTTPDateien->Holen(ServerUrl(QStringLiteral("/stick3/") + name), datei, &uebertragung,
                                Groesse > 0 ? Groesse : Hoechstens);
  });
  const int fehler = datei.Schliessen(pfad);
  if (ok && fehler == 0) return true;
  // A part that did not arrive whole cannot match its CRC-32: kept, it would only hold the room.
  arbeit.DateiEntfernen(Dateiname);
  if (fehler) return lokalerFehler(pfad, SystemFehlertext(fehler));
  if (IdHTTPDateien->ZuGross() && Groesse > 0)
    return lokalerFehler(pfad, Zweisprachig(QStringLiteral("mehr als die angegebenen %1 Bytes"),
                                            QStringLiteral("more than the %1 bytes listed"))
                                   .value_or(QString())
                                   .arg(Groesse));
  if (IdHTTPDateien->ZuGross() && Hoechstens > 0)
    return lokalerFehler(pfad, Zweisprachig(QStringLiteral("mehr als %1 Bytes, zu groß für ein Script"),
                                            QStringLiteral("more than %1 bytes, too large for a script"))
                                   .value_or(QString())
                                   .arg(Hoechstens));
  if (uebertragung.Art == THttpFehler::TArt::Abgebrochen) {
    // Cancel or the program's end: the server is not to blame, the run's own line follows.
    Abbrechen = true;
    return false;
  }
  if (IdHTTPDateien->ZuGross())
    return lokalerFehler(pfad, Zweisprachig(QStringLiteral("mehr Daten als vom Server angekündigt"),
                                            QStringLiteral("more data than the server announced"))
                                   .value_or(QString()));
  return serverFehler(uebertragung);
}

void TFormWebInstall::IdHTTPDateienWorkBegin(qint64 AWorkCountMax) {
  // The bar holds int values: counts of 2 GiB and more are shifted down together.
  FFortschrittMax = qMax<qint64>(0, AWorkCountMax);
  FFortschrittShift = 0;
  while ((FFortschrittMax >> FFortschrittShift) > INT_MAX) ++FFortschrittShift;
  ProgressBarInstaller->setRange(0, FFortschrittMax > 0 ? int(FFortschrittMax >> FFortschrittShift) : 0);
  ProgressBarInstaller->setValue(0);
}

void TFormWebInstall::IdHTTPDateienWork(qint64 AWorkCount) {
  if (FFortschrittMax <= 0) return;  // unknown length: the bar shows that it is busy
  const qint64 n = qBound<qint64>(0, AWorkCount, FFortschrittMax);
  ProgressBarInstaller->setValue(int(n >> FFortschrittShift));
}

void TFormWebInstall::IdHTTPDateienWorkEnd() {
  if (FFortschrittMax <= 0) ProgressBarInstaller->setRange(0, 100);
  ProgressBarInstaller->setValue(0);
}

}  // namespace kiro
