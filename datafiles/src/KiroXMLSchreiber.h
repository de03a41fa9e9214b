#pragma once
// The open file of a save; private to TKiroXML.
#include "datafiles/KiroXML.h"

#include <QFile>

namespace kiro {

struct TKiroXML::TSchreiber {
  QFile Datei;
  bool Fehler = false;  // a write, the flush or the close failed
};

}  // namespace kiro
