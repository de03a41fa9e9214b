#include "components/LabelQVLink.h"

namespace kiro {

TLabelQVLink::TLabelQVLink(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

TLabelQVLink::TLabelQVLink(const QString& Text, QWidget* parent) : TLabelQVLink(parent) { setText(Text); }

QColor TLabelQVLink::Schriftfarbe() const { return palette().color(QPalette::WindowText); }

void TLabelQVLink::SchriftfarbeSetzen(const QColor& Farbe) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, Farbe);
  setPalette(p);
}

void TLabelQVLink::enterEvent(QEnterEvent*) {
  FFontFarbe = Schriftfarbe();
  FGespeichert = true;
  SchriftfarbeSetzen(QColor(Qt::red));
}

// The colour saved on entering always comes back, also the default text colour.
void TLabelQVLink::leaveEvent(QEvent*) {
  if (FGespeichert) SchriftfarbeSetzen(FFontFarbe);
  FGespeichert = false;
}

}  // namespace kiro
