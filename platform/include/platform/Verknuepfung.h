#pragma once
// Desktop shortcuts as freedesktop desktop entries ("Kiro Lehr.desktop" where Windows has
// "Kiro Lehr.lnk").
#include <QByteArray>
#include <QString>

namespace kiro::platform {

struct TVerknuepfung {
  QString Name;          // what the desktop shows
  QString Beschreibung;  // the entry's Comment
  QString Ziel;          // the program or file the entry opens
  QString Argumente;     // passed on as one argument when not empty
  QString Arbeitsordner; // the entry's Path
};

// The text of the desktop entry. A target without its execute bit (a Windows ".exe") is
// handed to the desktop's opener through "xdg-open"; every argument is quoted by the
// desktop-entry rules, so blanks, quotes, "$" and "%" in paths reach the program unchanged.
QByteArray DesktopEintragText(const TVerknuepfung& Verknuepfung);

// Writes the desktop entry to Datei, replacing an existing one in one step (a link at that
// name is replaced, not followed), with mode 0755: desktops launch entries on the desktop only
// when they are executable. False with *Fehler set when it could not be written.
bool DesktopEintragSchreiben(const QString& Datei, const TVerknuepfung& Verknuepfung, QString* Fehler = nullptr);

}  // namespace kiro::platform
