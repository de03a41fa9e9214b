#pragma once
#include <QString>

namespace kiro::platform {

// The user's own temp folder (see BenutzerTempVerzeichnis), ending in "/"; "" with *Fehler set
// when it cannot be made safe.
QString TempVerzeichnis(QString* Fehler = nullptr);

}  // namespace kiro::platform
