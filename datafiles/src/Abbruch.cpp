#include "datafiles/Abbruch.h"

namespace kiro {

TAbbruchObjekt* AbbruchObjekt = nullptr;

}  // namespace kiro
