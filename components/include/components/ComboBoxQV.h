#pragma once
// A combo box whose drop-down list shows 20 rows before it scrolls, in every style and also
// when it is not editable (some styles otherwise show every item in a menu-like popup), and
// whose background shows whether it is enabled. Screen readers announce it by its accessible
// name (or its caption label), with the chosen item as its value and its text; a new item is
// announced as that text replaced.
#include <QComboBox>

namespace kiro {

class TComboBoxQV : public QComboBox {
  Q_OBJECT
 public:
  static constexpr int DropDownCount = 20;

  explicit TComboBoxQV(QWidget* parent = nullptr);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  QString FGesagt;  // the item readers last heard of
};

}  // namespace kiro
