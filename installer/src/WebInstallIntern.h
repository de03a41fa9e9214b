#pragma once
// What the main window's source files share beside the window's header.
#include <QString>

namespace kiro {

// The pictures of the two status lights: on and off.
inline const QString kKreuz = QStringLiteral("icon_RotesKreuz");
inline const QString kHaken = QStringLiteral("icon_hakengruen1");

}  // namespace kiro
