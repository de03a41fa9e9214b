#include "components/ComboBoxQV.h"

#include "components/Aktivfarbe.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

namespace kiro {

namespace {

// Fusion and some other styles open a non-editable combo as a menu-like popup holding every
// item, which ignores the visible-row count. This style keeps the application's look but asks
// for the plain list popup.
class TListenPopupStil : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == QStyle::SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// One for all combos, owned by the application, so it outlives every widget that uses it.
QStyle* ListenPopupStil() {
  static QPointer<TListenPopupStil> stil;
  if (!stil) {
    stil = new TListenPopupStil(QStyleFactory::create(QApplication::style()->name()));
    stil->setParent(qApp);
  }
  return stil.data();
}

}  // namespace

TComboBoxQV::TComboBoxQV(QWidget* parent) : QComboBox(parent) {
  setStyle(ListenPopupStil());
  setMaxVisibleItems(DropDownCount);
  AktivfarbeSetzen(*this, {QPalette::Base, QPalette::Button});
}

void TComboBoxQV::changeEvent(QEvent* event) {
  QComboBox::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) AktivfarbeSetzen(*this, {QPalette::Base, QPalette::Button});
}

}  // namespace kiro
