#pragma once
// Where a data file's effort side file lies; shared by the load and the save of TKiroXMLObjekt.
#include <QString>

namespace kiro::intern {

// The side file's name for a data file of that name: the name, "." and "expense.xml".
QString Seitendateiname(const QString& Dateiname);
// The side file itself: below the data folder, or the name as it is when absolute.
QString Seitendateipfad(const QString& Seitenname);

}  // namespace kiro::intern
