#pragma once
// The authors' effort side file: a copy of a data file's header that carries the effort values
// the data file itself never stores. It lies in the data folder, named after the data file with
// ".expense.xml" appended.
#include "datafiles/KiroXMLObjekt.h"

namespace kiro {

class TExpensedatei : public TKiroXMLObjekt {
 public:
  TExpensedatei();
  // Edits the side file's header (InfoBearbeiten).
  int Bearbeiten() { return InfoBearbeiten(); }
};

}  // namespace kiro
