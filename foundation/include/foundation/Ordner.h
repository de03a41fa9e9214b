#pragma once
// The host program's global folders and title. Each folder is "" (paths built on it are then
// relative to the current folder) or a native path ending in "/"; names are appended directly.
#include <QString>

namespace kiro {

extern QString Programmverzeichnis;
extern QString Datenverzeichnis;
extern QString DatenverzeichnisOffiziell;
extern QString ProgrammTitel;

// Gives a folder the form the globals keep: "" stays "", anything else ends in "/".
QString OrdnerForm(const QString& Pfad);

}  // namespace kiro
