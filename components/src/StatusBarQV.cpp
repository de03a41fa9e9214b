#include "components/StatusBarQV.h"

#include <QLabel>

namespace kiro {

TStatusBarQV::TStatusBarQV(QWidget* parent) : QStatusBar(parent), FText(new QLabel(this)) {
  setSizeGripEnabled(false);
  // A label of its own: QStatusBar's temporary message would hide the children on the bar.
  addWidget(FText, 1);
}

void TStatusBarQV::SimpleTextSetzen(const QString& Text) { FText->setText(Text); }

QString TStatusBarQV::SimpleText() const { return FText->text(); }

}  // namespace kiro
