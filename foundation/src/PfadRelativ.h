#pragma once
// Shared by the data-path conversions and the settings object's temp folder.
#include <QString>

namespace kiro {

// Pfad relative to the folder Basis: the leading folders both share are dropped and "../" is
// put in front for every further folder of Basis. Paths without a common root (one absolute,
// the other relative) give Pfad unchanged. Native paths, "/" separates; Basis is a folder
// whether or not it ends in "/".
QString RelativZuOrdner(const QString& Basis, const QString& Pfad);

}  // namespace kiro
