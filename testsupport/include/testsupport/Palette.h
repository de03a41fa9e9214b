#pragma once
// A dark desktop palette, as a dark theme of a Linux desktop hands it to Qt: light texts on dark
// grounds, for tests and pictures of how the windows read under it.
#include <QPalette>

namespace kiro::test {

QPalette DunklePalette();

}  // namespace kiro::test
