#include "components/ComboBoxQV.h"

#include "components/Aktivfarbe.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

#include <utility>

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

// What screen readers learn of a combo. Qt's own answer on Linux names the combo by its chosen
// item and leaves the label to a relation that not every reader follows; here the name is the
// accessible name (or the caption label's text) and the chosen item is the value and the text.
// Qt's AT-SPI bridge carries no value text and no selection, only a text interface, so readers
// find the chosen item there (as in a read-only edit) and hear a change as that text replaced.
class TComboBoxQVZugang : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TComboBoxQVZugang(QComboBox* Combo) : QAccessibleWidget(Combo, QAccessible::ComboBox) {}

  void* interface_cast(QAccessible::InterfaceType Art) override {
    if (Art == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(Art);
  }

  QString text(QAccessible::Text Art) const override {
    if (Art == QAccessible::Value) return Gewaehlt();
    const QString text = QAccessibleWidget::text(Art);
    return Art == QAccessible::Name && text.isEmpty() ? Combo()->currentText() : text;
  }

  // The text interface: the chosen item, read-only, the cursor at its start.
  QString text(int Anfang, int Ende) const override { return Gewaehlt().mid(Anfang, Ende - Anfang); }
  int characterCount() const override { return int(Gewaehlt().size()); }
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  void selection(int, int* Anfang, int* Ende) const override { *Anfang = *Ende = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  QRect characterRect(int) const override { return QRect(); }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int Position, int* Anfang, int* Ende) const override {
    *Anfang = *Ende = Position;
    return QString();
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = Combo()->view()->isVisible();
    s.editable = Combo()->isEditable();
    return s;
  }

  // The drop-down list, and the edit of an editable combo.
  int childCount() const override { return Combo()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int Index) const override {
    QWidget* w = Index == 0 ? static_cast<QWidget*>(Combo()->view())
                 : Index == 1 && Combo()->isEditable() ? Combo()->lineEdit()
                                                      : nullptr;
    return w ? QAccessible::queryAccessibleInterface(w) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* Kind) const override {
    if (!Kind) return -1;
    if (Kind->object() == Combo()->view()) return 0;
    return Combo()->isEditable() && Kind->object() == Combo()->lineEdit() ? 1 : -1;
  }

  QStringList actionNames() const override {
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& Aktion) override {
    if (Aktion == showMenuAction() || Aktion == pressAction())
      Combo()->showPopup();
    else
      QAccessibleWidget::doAction(Aktion);
  }

 private:
  QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
  QString Gewaehlt() const { return Combo()->isEditable() ? Combo()->lineEdit()->text() : Combo()->currentText(); }
};

QAccessibleInterface* ZugangFabrik(const QString& Klasse, QObject* Objekt) {
  if (Klasse == QLatin1String(TComboBoxQV::staticMetaObject.className()))
    if (auto* combo = qobject_cast<TComboBoxQV*>(Objekt)) return new TComboBoxQVZugang(combo);
  return nullptr;
}

}  // namespace

TComboBoxQV::TComboBoxQV(QWidget* parent) : QComboBox(parent) {
  static const bool fabrik = (QAccessible::installFactory(ZugangFabrik), true);
  Q_UNUSED(fabrik);
  setStyle(ListenPopupStil());
  setMaxVisibleItems(DropDownCount);
  AktivfarbeSetzen(*this, {QPalette::Base, QPalette::Button});
  // Qt tells readers of a new item only by the combo's name, which here stays the caption.
  connect(this, &QComboBox::currentTextChanged, this, [this](const QString& Neu) {
    if (Neu == FGesagt) return;
    const QString alt = std::exchange(FGesagt, Neu);
    if (isEditable()) return;  // the edit announces its own text
    QAccessibleTextUpdateEvent ereignis(this, 0, alt, Neu);
    QAccessible::updateAccessibility(&ereignis);
  });
}

void TComboBoxQV::changeEvent(QEvent* event) {
  QComboBox::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) AktivfarbeSetzen(*this, {QPalette::Base, QPalette::Button});
}

}  // namespace kiro
