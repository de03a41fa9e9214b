#pragma once
// The one runner for console programs (the version-control client among them): a program and
// its arguments as a vector, never a shell; input from the null device, output from the pipe,
// lowest priority, and the exit status read, so a failure is logged with the program's own words.
#include <QString>
#include <QStringList>

#include <functional>

namespace kiro {

struct TProgrammOptionen {
  // A child that runs longer is ended; 0 waits without limit. Five minutes is far beyond any
  // single client command on a local working copy, and short of a hang nobody notices.
  int ZeitlimitMs = 5 * 60 * 1000;
  // Asked between waits; true ends the child. May handle the caller's events itself.
  std::function<bool()> Abbrechen;
  // False where a non-zero status is an answer, not a fault (a question such as "svn info");
  // a start failure, crash, time-out or cancel is logged all the same.
  bool FehlschlagMelden = true;
};

struct TProgrammErgebnis {
  bool Gestartet = false;
  bool Erfolg = false;  // started, ended by itself, exit status 0
  int Exitstatus = -1;
  QString Ausgabe;       // standard output, every line followed by CR LF
  QString Fehlerausgabe; // standard error as written, trimmed
};

// Runs Programm (found through PATH when it has no folder) with Parameter in the working folder
// Verzeichnis and waits for its end. A program that cannot start, ends with a non-zero status,
// crashes, times out or is cancelled gets one log line of type 2 that names it and says why.
TProgrammErgebnis ProgrammAusfuehren(const QString& Verzeichnis, const QString& Programm, const QStringList& Parameter,
                                     const TProgrammOptionen& Optionen = {});

// What the program wrote to its standard output, each line followed by CR LF; '' when it could
// not be started.
QString ProgrammAusfuehrenMitAusgabe(const QString& Verzeichnis, const QString& Programm, const QStringList& Parameter,
                                     const TProgrammOptionen& Optionen = {});

}  // namespace kiro
