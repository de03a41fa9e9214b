#pragma once
// The optional settings object of the host program; the shared units only read it, and every
// user must work when there is none (Einstellungen == nullptr, as in Paketlader).
#include "foundation/KiroTypen.h"

#include <QString>

namespace kiro {

class TEinstellungen {
 public:
  QString TempVerzeichnisRelativ;   // relative to Datenverzeichnis, ending in "/"
  bool TempVerzeichnisAbsolutAktiv = false;
  QString TempVerzeichnisAbsolut;   // ending in "/"
  QString Sprachordner;
  std::int32_t AutorID = 0;
  QString AutorName;
  QString AutorEMail;
  bool DokuModus = false;

  // The temp folder, absolute or relative to Datenverzeichnis; created when missing.
  QString TempVerzeichnis(bool Absolut) const;
  // Fills AutorID, Name and eMail of the record; the rest stays.
  void AutorLesen(TAutor& Autor) const;
};

extern TEinstellungen* Einstellungen;

}  // namespace kiro
