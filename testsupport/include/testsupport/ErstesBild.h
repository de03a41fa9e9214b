#pragma once
// Notes when a widget is first painted, counted on a clock of the caller, and whether an action
// (a window's Install) was enabled at that moment.
#include <QAction>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace kiro::test {

class TErstesBild : public QObject {
 public:
  TErstesBild(QWidget* Flaeche, const QElapsedTimer& Uhr, const QAction* Aktion) : FUhr(Uhr), FAktion(Aktion) {
    Flaeche->installEventFilter(this);
  }
  // Milliseconds on the caller's clock at the first paint; -1 while there was none.
  qint64 Ms = -1;
  bool AktionAn = false;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && Ms < 0) {
      Ms = FUhr.elapsed();
      AktionAn = FAktion->isEnabled();
    }
    return false;
  }

 private:
  const QElapsedTimer& FUhr;
  const QAction* FAktion;
};

}  // namespace kiro::test
