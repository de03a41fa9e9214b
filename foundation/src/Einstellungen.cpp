#include "foundation/Einstellungen.h"

#include "PfadRelativ.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Ordner.h"

namespace kiro {

TEinstellungen* Einstellungen = nullptr;

QString TEinstellungen::TempVerzeichnis(bool Absolut) const {
  if (Absolut) {
    const QString ordner = TempVerzeichnisAbsolutAktiv ? TempVerzeichnisAbsolut : Datenverzeichnis + TempVerzeichnisRelativ;
    VerzeichnisAnlegen(ordner);
    return ordner;
  }
  const QString ordner =
      TempVerzeichnisAbsolutAktiv ? RelativZuOrdner(Datenverzeichnis, TempVerzeichnisAbsolut) : TempVerzeichnisRelativ;
  // An absolute folder that has no relative form is created as it is, not below the data folder.
  VerzeichnisAnlegen(ordner.startsWith(u'/') ? ordner : Datenverzeichnis + ordner);
  return ordner;
}

void TEinstellungen::AutorLesen(TAutor& Autor) const {
  Autor.AutorID = AutorID;
  Autor.Name = AutorName;
  Autor.eMail = AutorEMail;
}

}  // namespace kiro
