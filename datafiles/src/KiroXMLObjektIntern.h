#pragma once
// Where a data file's effort side file lies, shared by the load and the save of TKiroXMLObjekt;
// the user's language folder, for the texts the data-file code writes itself; and whether a
// path stays in a folder when its links are followed.
#include "foundation/KiroTypen.h"

#include <QString>

namespace kiro::intern {

// The side file's name for a data file of that name: the name, "." and "expense.xml".
QString Seitendateiname(const QString& Dateiname);
// The side file itself: below the data folder, or the name as it is when absolute.
QString Seitendateipfad(const QString& Seitenname);

// True when the real path Echt lies below the folder Ordner (itself resolved through links).
bool ImOrdner(const QString& Echt, const QString& Ordner);
// Whether Pfad is Ordner itself or lies below it (both resolved, links included); false when
// either does not exist.
bool LiegtIn(const QString& Pfad, const QString& Ordner);

// Whether nothing at all stands at Pfad (not even a link); a file we may not look at is there.
bool Fehlt(const QString& Pfad);

// The data folder as an absolute folder with "/", where the side file is read.
QString AbsoluterDatenordner();

// Takes the effort values of the side file's header Seite into Ziel: AufwandAlgo and each
// author's AufwandAlt and AufwandPunkte (values of 0 carry nothing). With NurLeere only values
// that are 0 in Ziel are filled.
void AufwandUebernehmen(TInfo& Ziel, const TInfo& Seite, bool NurLeere);

// The language folder of the settings, else of the text catalogue ("Deutsch", "English"); "".
QString Sprachordner();

}  // namespace kiro::intern
