#pragma once
#include <QString>

namespace kiro::platform {

// The user's desktop folder (the desktop's own setting, else ~/Desktop), without trailing "/".
QString DesktopOrdner();

}  // namespace kiro::platform
