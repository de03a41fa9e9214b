#pragma once
// A status bar that holds child controls (a progress bar, for instance) and one simple text.
#include "components/Anzeigen.h"

#include <QStatusBar>

class QLabel;

namespace kiro {

class TStatusBarQV : public QStatusBar, public IStatusAnzeige {
  Q_OBJECT
 public:
  explicit TStatusBarQV(QWidget* parent = nullptr);
  void SimpleTextSetzen(const QString& Text) override;
  QString SimpleText() const;

 private:
  QLabel* FText;  // owned by the bar
};

}  // namespace kiro
