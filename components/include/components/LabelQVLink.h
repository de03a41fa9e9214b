#pragma once
// A label that behaves like a hyperlink: hand cursor, red text while the mouse is over it.
#include <QColor>
#include <QLabel>

namespace kiro {

class TLabelQVLink : public QLabel {
  Q_OBJECT
 public:
  explicit TLabelQVLink(QWidget* parent = nullptr);
  explicit TLabelQVLink(const QString& Text, QWidget* parent = nullptr);

  QColor Schriftfarbe() const;
  void SchriftfarbeSetzen(const QColor& Farbe);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QColor FFontFarbe;  // colour saved when the mouse entered
  bool FGespeichert = false;
};

}  // namespace kiro
