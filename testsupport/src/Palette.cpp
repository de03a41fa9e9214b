#include "testsupport/Palette.h"

#include <QColor>

namespace kiro::test {

QPalette DunklePalette() {
  QPalette p;
  const QColor fenster(53, 53, 53), basis(42, 42, 42), hell(230, 230, 230);
  p.setColor(QPalette::Window, fenster);
  p.setColor(QPalette::WindowText, hell);
  p.setColor(QPalette::Base, basis);
  p.setColor(QPalette::AlternateBase, fenster);
  p.setColor(QPalette::Text, hell);
  p.setColor(QPalette::Button, fenster);
  p.setColor(QPalette::ButtonText, hell);
  p.setColor(QPalette::ToolTipBase, basis);
  p.setColor(QPalette::ToolTipText, hell);
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::HighlightedText, Qt::black);
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(150, 150, 150));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 150, 150));
  return p;
}

}  // namespace kiro::test
