#include "datafiles/Autorendatei.h"

namespace kiro {

TExpensedatei::TExpensedatei() { FDateiTyp = Datei_expense_xml; }

}  // namespace kiro
