#include "components/Aktivfarbe.h"

#include <QApplication>
#include <QWidget>

namespace kiro {

QColor FensterFarbe() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }
QColor KnopfFarbe() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

void AktivfarbeSetzen(QWidget& Feld, std::initializer_list<QPalette::ColorRole> Rollen) {
  const QColor farbe = Feld.isEnabled() ? FensterFarbe() : KnopfFarbe();
  QPalette p = Feld.palette();
  // Every group: a disabled widget paints with the Disabled group, which must show the same.
  for (const QPalette::ColorRole rolle : Rollen)
    for (const auto gruppe : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) p.setColor(gruppe, rolle, farbe);
  Feld.setPalette(p);
}

}  // namespace kiro
