// Console programs: start with an argument vector, wait in short slices so a time-out or the
// caller's cancel can end the child, then decode the output and judge the exit status.
#include "foundation/Programmlauf.h"

#include "foundation/Formatieren.h"
#include "foundation/Protokoll.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringDecoder>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace kiro {

namespace {

// Short enough that a cancel is seen at once, long enough not to spin.
constexpr int kWarteschritt = 50;
// A child asked to end gets this long before it is killed.
constexpr int kEndeFrist = 2000;

// Text as the program wrote it: a byte-order mark decides, else the locale's encoding.
QString Dekodieren(const QByteArray& Bytes) {
  const auto bom = QStringConverter::encodingForData(Bytes);
  QStringDecoder dekoder(bom ? *bom : QStringConverter::System);
  QString text = dekoder(Bytes);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

// Every line, the last one included, followed by CR LF; nothing for no output.
QString AlsZeilen(const QString& Text) {
  QString ergebnis;
  ergebnis.reserve(Text.size() + Text.count(u'\n') + 2);
  for (qsizetype anfang = 0; anfang < Text.size();) {
    qsizetype ende = Text.indexOf(u'\n', anfang);
    if (ende < 0) ende = Text.size();
    QStringView zeile = QStringView(Text).sliced(anfang, ende - anfang);
    if (zeile.endsWith(u'\r')) zeile.chop(1);
    ergebnis += zeile;
    ergebnis += QStringLiteral("\r\n");
    anfang = ende + 1;
  }
  return ergebnis;
}

// How much of each channel is kept: the end of a long output is what tells how the run went,
// and a program that writes without end must not fill the memory.
constexpr qsizetype kAusgabeGrenze = qsizetype{4} << 20;
constexpr qsizetype kFehlerGrenze = qsizetype{64} << 10;

// The last bytes of one channel, starting at a line where the cut allows it.
class TSchwanz {
 public:
  explicit TSchwanz(qsizetype Grenze) : FGrenze(Grenze) {}

  void Anhaengen(const QByteArray& Neu) {
    FBytes += Neu;
    // Cut only once twice the bound is reached, so each byte is moved at most once or twice.
    if (FBytes.size() > 2 * FGrenze) Kuerzen();
  }
  // The kept bytes, at most the bound.
  const QByteArray& Ende() {
    if (FBytes.size() > FGrenze) Kuerzen();
    return FBytes;
  }
  qint64 Verworfen() const { return FVerworfen; }

 private:
  void Kuerzen() {
    const qsizetype schnitt = FBytes.size() - FGrenze;
    // The kept part begins after the first line break at or behind the cut, unless that line
    // is long: then in the middle of it.
    const qsizetype umbruch = FBytes.indexOf('\n', schnitt - 1);
    const qsizetype anfang = umbruch >= 0 && umbruch + 1 - schnitt <= FGrenze / 2 ? umbruch + 1 : schnitt;
    FBytes.remove(0, anfang);
    FVerworfen += anfang;
  }

  qsizetype FGrenze;
  QByteArray FBytes;
  qint64 FVerworfen = 0;
};

// One line when a channel's start was dropped: the caller sees only the end.
void VerworfenMelden(const QString& Programm, const QString& Kanal, TSchwanz& Schwanz) {
  const QByteArray& ende = Schwanz.Ende();
  if (Schwanz.Verworfen() == 0) return;
  Protokollieren(QString(),
                 Formatieren(QStringLiteral("%s: die ersten %s Bytes der %s verworfen, die letzten %s behalten"),
                             {Programm, QString::number(Schwanz.Verworfen()), Kanal, QString::number(ende.size())}),
                 5);
}

// The child leads a process group of its own (see the start): what it started in turn (a
// shell's background job, svn's ssh) is ended with it, also what outlives it or ignores the
// first request.
void Beenden(QProcess& Prozess) {
  const pid_t gruppe = pid_t(Prozess.processId());
  if (gruppe > 0) ::kill(-gruppe, SIGTERM);
  if (!Prozess.waitForFinished(kEndeFrist)) {
    if (gruppe > 0) ::kill(-gruppe, SIGKILL);
    Prozess.kill();
    Prozess.waitForFinished(-1);
  } else if (gruppe > 0) {
    ::kill(-gruppe, SIGKILL);
  }
}

}  // namespace

TProgrammErgebnis ProgrammAusfuehren(const QString& Verzeichnis, const QString& Programm, const QStringList& Parameter,
                                     const TProgrammOptionen& Optionen) {
  TProgrammErgebnis erg;
  // Before the process: it may still signal while it is destroyed.
  TSchwanz ausgabe(kAusgabeGrenze), fehler(kFehlerGrenze);
  QProcess prozess;
  prozess.setProgram(Programm);
  prozess.setArguments(Parameter);
  if (!Verzeichnis.isEmpty()) prozess.setWorkingDirectory(Verzeichnis);
  prozess.setStandardInputFile(QProcess::nullDevice());
  prozess.setProcessChannelMode(QProcess::SeparateChannels);
  // The child must not slow down the window or the user's other work; in a process group of
  // its own it can be ended together with whatever it starts.
  prozess.setChildProcessModifier([] {
    ::setpgid(0, 0);
    setpriority(PRIO_PROCESS, 0, 19);
  });
  // Both channels are drained as each piece arrives (the signals come from inside the waits
  // below), so the process object never holds more than one piece.
  QObject::connect(&prozess, &QProcess::readyReadStandardOutput,
                   [&] { ausgabe.Anhaengen(prozess.readAllStandardOutput()); });
  QObject::connect(&prozess, &QProcess::readyReadStandardError,
                   [&] { fehler.Anhaengen(prozess.readAllStandardError()); });
  prozess.start(QIODevice::ReadOnly);
  if (!prozess.waitForStarted(-1)) {
    Protokollieren(prozess.errorString(), Formatieren(QStringLiteral("%s nicht gestartet"), {Programm}), 2);
    return erg;
  }
  erg.Gestartet = true;

  QElapsedTimer uhr;
  uhr.start();
  QString abbruchGrund;
  while (prozess.state() != QProcess::NotRunning) {
    if (prozess.waitForFinished(kWarteschritt)) break;
    if (Optionen.ZeitlimitMs > 0 && uhr.elapsed() >= Optionen.ZeitlimitMs) {
      abbruchGrund = Formatieren(QStringLiteral("%s nach %d ms beendet: keine Antwort"), {Programm, Optionen.ZeitlimitMs});
      Beenden(prozess);
    } else if (Optionen.Abbrechen && Optionen.Abbrechen()) {
      abbruchGrund = Formatieren(QStringLiteral("%s abgebrochen"), {Programm});
      Beenden(prozess);
    }
  }

  ausgabe.Anhaengen(prozess.readAllStandardOutput());
  fehler.Anhaengen(prozess.readAllStandardError());
  VerworfenMelden(Programm, QStringLiteral("Ausgabe"), ausgabe);
  VerworfenMelden(Programm, QStringLiteral("Fehlerausgabe"), fehler);
  erg.Ausgabe = AlsZeilen(Dekodieren(ausgabe.Ende()));
  erg.Fehlerausgabe = Dekodieren(fehler.Ende()).trimmed();
  if (!abbruchGrund.isEmpty()) {
    Protokollieren(erg.Fehlerausgabe, abbruchGrund, 2);
    return erg;
  }
  if (prozess.exitStatus() != QProcess::NormalExit) {
    Protokollieren(erg.Fehlerausgabe, Formatieren(QStringLiteral("%s abgestürzt"), {Programm}), 2);
    return erg;
  }
  erg.Exitstatus = prozess.exitCode();
  erg.Erfolg = erg.Exitstatus == 0;
  if (!erg.Erfolg && Optionen.FehlschlagMelden)
    Protokollieren(erg.Fehlerausgabe,
                   Formatieren(QStringLiteral("%s %s endete mit Status %d"),
                               {Programm, Parameter.join(u' '), erg.Exitstatus}),
                   2);
  return erg;
}

QString ProgrammAusfuehrenMitAusgabe(const QString& Verzeichnis, const QString& Programm, const QStringList& Parameter,
                                     const TProgrammOptionen& Optionen) {
  return ProgrammAusfuehren(Verzeichnis, Programm, Parameter, Optionen).Ausgabe;
}

}  // namespace kiro
