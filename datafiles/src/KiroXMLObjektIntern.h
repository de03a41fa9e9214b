#pragma once
// Where a data file's effort side file lies, shared by the load and the save of TKiroXMLObjekt;
// and the user's language folder, for the texts the data-file code writes itself.
#include "foundation/KiroTypen.h"

#include <QString>

namespace kiro::intern {

// The side file's name for a data file of that name: the name, "." and "expense.xml".
QString Seitendateiname(const QString& Dateiname);
// The side file itself: below the data folder, or the name as it is when absolute.
QString Seitendateipfad(const QString& Seitenname);

// The data folder as an absolute folder with "/", where the side file is read.
QString AbsoluterDatenordner();

// Takes the effort values of the side file's header Seite into Ziel: AufwandAlgo and each
// author's AufwandAlt and AufwandPunkte (values of 0 carry nothing). With NurLeere only values
// that are 0 in Ziel are filled.
void AufwandUebernehmen(TInfo& Ziel, const TInfo& Seite, bool NurLeere);

// The language folder of the settings, else of the text catalogue ("Deutsch", "English"); "".
QString Sprachordner();

}  // namespace kiro::intern
