#pragma once
// The host's way to stop long work of the data-file model (the script engine, the file index):
// it points AbbruchObjekt at an object of its own and sets the flag; nullptr means no host asks.
namespace kiro {

struct TAbbruchObjekt {
  bool Abbrechen = false;
};

extern TAbbruchObjekt* AbbruchObjekt;

// AbbruchObjekt is set and its flag is true.
inline bool AbbruchVerlangt() { return AbbruchObjekt && AbbruchObjekt->Abbrechen; }

}  // namespace kiro
