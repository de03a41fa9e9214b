#pragma once
// A temporary folder for one test, removed with everything in it afterwards.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kiro::test {

class TempOrdner {
 public:
  TempOrdner();
  // The folder, ending in "/".
  QString Pfad() const { return FPfad; }
  // Pfad() + Name.
  QString operator/(const QString& Name) const { return FPfad + Name; }
  // Writes a file below the folder (creating its folders); returns its full path.
  QString Schreiben(const QString& Name, const QByteArray& Inhalt) const;

 private:
  QTemporaryDir FOrdner;
  QString FPfad;
};

// The whole content of a file; empty when it cannot be read.
QByteArray Lesen(const QString& Pfad);
// The permission bits of a file (a link followed); -1 when it cannot be looked at.
int Modus(const QString& Pfad);
// Every file and folder below Ordner, hidden ones too, relative and sorted; folders end in "/",
// links are listed as themselves and not followed.
QStringList Baum(const QString& Ordner);
// The temporary files of this program (".~kiro...") in the folder of the file Datei.
QStringList Temporaere(const QString& Datei);
// A process id that is gone: a child that has ended and been reaped, as what a killed run left
// behind names.
long BeendeterProzess();

}  // namespace kiro::test
