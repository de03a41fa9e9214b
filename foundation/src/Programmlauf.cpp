// Console programs: start with an argument vector, wait in short slices so a time-out or the
// caller's cancel can end the child, then decode the output and judge the exit status.
#include "foundation/Programmlauf.h"

#include "foundation/Formatieren.h"
#include "foundation/Protokoll.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringDecoder>

#include <sys/resource.h>

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
  if (Text.isEmpty()) return {};
  QStringList zeilen = Text.split(u'\n');
  if (zeilen.last().isEmpty()) zeilen.removeLast();
  QString ergebnis;
  for (QString& z : zeilen) {
    if (z.endsWith(u'\r')) z.chop(1);
    ergebnis += z + QStringLiteral("\r\n");
  }
  return ergebnis;
}

void Beenden(QProcess& Prozess) {
  Prozess.terminate();
  if (!Prozess.waitForFinished(kEndeFrist)) {
    Prozess.kill();
    Prozess.waitForFinished(-1);
  }
}

}  // namespace

TProgrammErgebnis ProgrammAusfuehren(const QString& Verzeichnis, const QString& Programm, const QStringList& Parameter,
                                     const TProgrammOptionen& Optionen) {
  TProgrammErgebnis erg;
  QProcess prozess;
  prozess.setProgram(Programm);
  prozess.setArguments(Parameter);
  if (!Verzeichnis.isEmpty()) prozess.setWorkingDirectory(Verzeichnis);
  prozess.setStandardInputFile(QProcess::nullDevice());
  prozess.setProcessChannelMode(QProcess::SeparateChannels);
  // The child must not slow down the window or the user's other work.
  prozess.setChildProcessModifier([] { setpriority(PRIO_PROCESS, 0, 19); });
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

  erg.Ausgabe = AlsZeilen(Dekodieren(prozess.readAllStandardOutput()));
  erg.Fehlerausgabe = Dekodieren(prozess.readAllStandardError()).trimmed();
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
