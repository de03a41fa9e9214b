#include "components/StatusBarQV.h"

namespace kiro {

TStatusBarQV::TStatusBarQV(QWidget* parent) : QStatusBar(parent) { setSizeGripEnabled(false); }

void TStatusBarQV::SimpleTextSetzen(const QString& Text) { showMessage(Text); }

}  // namespace kiro
