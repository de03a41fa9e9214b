#pragma once
// Acts as the user on real modal dialogs: each step waits until the named dialog is the modal
// window on top and holds the keyboard focus, then runs (typically keys pressed on the focused
// control). A timer watches for the dialogs, so the steps reach dialogs that exec() opens one
// inside the other. A step that never finds its dialog closes every modal dialog, so no test hangs.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace kiro::test {

class TTastenfolge {
 public:
  using TSchritt = std::function<void(QDialog& Dialog)>;

  TTastenfolge() {
    FTakt.setInterval(20);
    QObject::connect(&FTakt, &QTimer::timeout, [this] { Takt(); });
  }

  // Queues a step for the dialog whose object name is Fenster.
  TTastenfolge& Dann(const QString& Fenster, TSchritt Schritt) {
    FSchritte.append({Fenster, std::move(Schritt)});
    return *this;
  }
  // Queues keys pressed on the control that has the focus in that dialog.
  TTastenfolge& Tasten(const QString& Fenster, QList<QKeyCombination> Folge) {
    return Dann(Fenster, [Folge](QDialog&) {
      for (const QKeyCombination t : Folge) QTest::keyClick(QApplication::focusWidget(), t.key(), t.keyboardModifiers());
    });
  }

  void Starten() {
    FUhr.start();
    FTakt.start();
  }
  // Every step ran (false when one gave up waiting for its dialog).
  bool Fertig() const { return FNaechster == FSchritte.size() && !FAufgegeben; }
  // The dialog the step that gave up waited for, or "".
  QString Verpasst() const { return FAufgegeben ? FSchritte.value(FNaechster).Fenster : QString(); }

 private:
  struct TEintrag {
    QString Fenster;
    TSchritt Schritt;
  };

  void Takt() {
    if (FNaechster >= FSchritte.size()) {
      FTakt.stop();
      return;
    }
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    // A window manager gives the keyboard back to the dialog below when the one on top closes;
    // Qt's offscreen platform leaves no window active, so the user's click on it is made here.
    if (dialog && dialog->isVisible() && !dialog->isActiveWindow()) dialog->activateWindow();
    QWidget* fokus = QApplication::focusWidget();
    if (dialog && dialog->isVisible() && dialog->objectName() == FSchritte[FNaechster].Fenster && fokus &&
        fokus->window() == dialog) {
      // Run from the event queue, not from the timer: a step that opens a dialog runs a nested
      // exec(), and Qt does not fire a timer again while its own timeout is still being handled.
      TSchritt schritt = FSchritte[FNaechster++].Schritt;
      FUhr.restart();
      QMetaObject::invokeMethod(
          dialog, [schritt, dialog] { schritt(*dialog); }, Qt::QueuedConnection);
      return;
    }
    if (FUhr.elapsed() > kGeduld) {
      FAufgegeben = true;
      FTakt.stop();
      while (auto* offen = qobject_cast<QDialog*>(QApplication::activeModalWidget())) offen->reject();
    }
  }

  static constexpr qint64 kGeduld = 30000;  // a loaded machine may take long to show a dialog
  QList<TEintrag> FSchritte;
  qsizetype FNaechster = 0;
  bool FAufgegeben = false;
  QTimer FTakt;
  QElapsedTimer FUhr;
};

}  // namespace kiro::test
