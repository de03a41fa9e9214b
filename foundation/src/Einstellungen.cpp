#include "foundation/Einstellungen.h"

#include "foundation/Kern.h"
#include "foundation/Ordner.h"

#include <QDir>
#include <QFile>

namespace kiro {

TEinstellungen* Einstellungen = nullptr;

QString TEinstellungen::TempVerzeichnis(bool Absolut) const {
  if (Absolut) {
    const QString pfad = TempVerzeichnisAbsolutAktiv ? TempVerzeichnisAbsolut : Datenverzeichnis + TempVerzeichnisRelativ;
    VerzeichnisAnlegen(QFile::encodeName(pfad).toStdString());
    return pfad;
  }
  QString relativ = TempVerzeichnisRelativ;
  if (TempVerzeichnisAbsolutAktiv) {
    relativ = QDir(Datenverzeichnis.isEmpty() ? QStringLiteral(".") : Datenverzeichnis)
                  .relativeFilePath(TempVerzeichnisAbsolut);
    if (!relativ.isEmpty() && !relativ.endsWith(u'/')) relativ += u'/';
  }
  VerzeichnisAnlegen(QFile::encodeName(Datenverzeichnis + relativ).toStdString());
  return relativ;
}

void TEinstellungen::AutorLesen(TAutor& Autor) const {
  Autor.AutorID = AutorID;
  Autor.Name = AutorName;
  Autor.eMail = AutorEMail;
}

}  // namespace kiro
