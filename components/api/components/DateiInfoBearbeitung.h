#pragma once
// What the data-file model needs to let a person edit a data file's header, without any widget:
// the header's values as the file-information dialog shows them, and the dialog behind an
// interface that the component library installs. Without one, nothing can be edited.
#include "foundation/KiroTypen.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace kiro {

struct TDateiInfoFelder {
  QString Dateiname;  // shown only
  QString Version;    // shown only
  std::int32_t ObjektID = 0;
  QStringList Beschreibung;  // one part per line
  TAutoren Autoren;
  TDateTime EinsatzAb;  // 0: no date
  TDateTime EinsatzBis;
  QString Kategorie;
  QStringList Dateien;  // needed files in row order, "" for an empty row
};

class IDateiInfoBearbeitung {
 public:
  virtual ~IDateiInfoBearbeitung() = default;
  // Shows the header modally; on OK (the result is then mrOk) Felder holds the edited values,
  // otherwise it is unchanged.
  virtual int Bearbeiten(TDateiInfoFelder& Felder) = 0;
};

// The installed dialog (borrowed), nullptr while none is installed.
inline IDateiInfoBearbeitung*& DateiInfoBearbeitung() {
  static IDateiInfoBearbeitung* dialog = nullptr;
  return dialog;
}

}  // namespace kiro
