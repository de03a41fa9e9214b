#pragma once
// Reading an install script that came from elsewhere (the update server) for its file entries:
// every name is checked before anyone joins it to a folder, every CRC-32 before anyone
// compares a file with it, and the script may not pull in files of this computer.
#include "datafiles/Script.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace kiro {

struct TGeprueftesScript {
  std::unique_ptr<TScript> Script;  // owns every entry listed below
  bool Gefunden = false;            // the file existed and could be opened
  bool Vollstaendig = false;        // read whole (LadenVollstaendig) and no "ExterneDatei" was skipped
  // The file entries whose name passed the check, in script order. Entries of OhneHashwert
  // are among them: leaving one out would shift every later part.
  QList<const TScriptDateiInfo*> Dateien;
  // File entries with an empty, absolute or otherwise refused name; not in Dateien.
  QList<const TScriptDateiInfo*> Abgelehnt;
  // File entries whose "Hashwert" is no whole number or lies outside the 32-bit range (so that
  // no file can match it). An absent or zero value is the CRC-32 of an empty file and usable.
  QList<const TScriptDateiInfo*> OhneHashwert;
  QStringList IgnorierteExterneDateien;  // values of skipped "ExterneDatei" attributes

  // Everything a caller that downloads and compares parts needs: found, whole, at least one
  // file entry, and no entry refused or without a usable CRC-32.
  bool Brauchbar() const {
    return Gefunden && Vollstaendig && !Dateien.isEmpty() && Abgelehnt.isEmpty() && OhneHashwert.isEmpty();
  }
};

// Loads Ordner + DateiName (Ordner a native folder ending in "/") as a TScript without
// following "ExterneDatei", and checks its file entries. Every refused entry is logged (type 2).
TGeprueftesScript GeprueftesScriptLaden(const QString& Ordner, const QString& DateiName);

// Whether a script names a file acceptably: a relative path of non-empty components without
// "." or "..", drive letters, control characters or a trailing separator.
bool ScriptDateinameZulaessig(const QString& Dateiname);

}  // namespace kiro
