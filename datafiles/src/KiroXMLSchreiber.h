#pragma once
// The document of a save as it is being written; private to TKiroXML.
#include "datafiles/KiroXML.h"

#include <QByteArray>

namespace kiro {

struct TKiroXML::TSchreiber {
  QByteArray Inhalt;
};

}  // namespace kiro
