#pragma once
// What the main window's source files share beside the window's header.
#include <QAction>
#include <QString>

namespace kiro {

// Shows Cancel for as long as it lives, and hides it however the work ends.
struct TAbbrechenSichtbar {
  explicit TAbbrechenSichtbar(QAction* a) : Aktion(a) { Aktion->setVisible(true); }
  ~TAbbrechenSichtbar() { Aktion->setVisible(false); }
  TAbbrechenSichtbar(const TAbbrechenSichtbar&) = delete;
  TAbbrechenSichtbar& operator=(const TAbbrechenSichtbar&) = delete;
  QAction* Aktion;
};

// The pictures of the two status lights: on and off.
inline const QString kKreuz = QStringLiteral("icon_RotesKreuz");
inline const QString kHaken = QStringLiteral("icon_hakengruen1");

}  // namespace kiro
