#include "foundation/Meldung.h"
#include "foundation/MeldungsBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace kiro;

namespace {

// Answers the next message box by its default button, as Enter would, and records what it saw.
struct Antworter {
  Antworter() {
    QObject::connect(&Uhr, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        Text = box->text();
        Symbol = box->icon();
        Thread = box->thread();
        QAbstractButton* knopf = box->defaultButton();
        Vorgabe = box->standardButton(knopf);
        if (!knopf) knopf = box->buttons().value(0);
        knopf->click();
        return;
      }
    });
    Uhr.start(5);
  }
  QTimer Uhr;
  QString Text;
  QMessageBox::Icon Symbol = QMessageBox::NoIcon;
  QMessageBox::StandardButton Vorgabe = QMessageBox::NoButton;
  QThread* Thread = nullptr;
};

class MeldungsBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { MeldungsBoxInstallieren(); }
  void TearDown() override { MeldungZeigenHookSetzen({}); }
};

TEST_F(MeldungsBoxTest, HonoursTheDefaultButtonAndTheType) {
  const struct {
    TMsgDlgType typ;
    TMsgDlgButtons knoepfe;
    TMsgDlgButtons vorgabe;
    int ergebnis;
    QMessageBox::Icon symbol;
  } faelle[] = {
      {TMsgDlgType::mtConfirmation, mbYes | mbNo, mbNo, mrNo, QMessageBox::Question},
      {TMsgDlgType::mtConfirmation, mbYes | mbNo, mbYes, mrYes, QMessageBox::Question},
      {TMsgDlgType::mtWarning, mbOK, 0, mrOk, QMessageBox::Warning},
      {TMsgDlgType::mtError, mbAbort | mbRetry | mbIgnore, mbRetry, mrRetry, QMessageBox::Critical},
      {TMsgDlgType::mtInformation, mbOK | mbCancel, mbCancel, mrCancel, QMessageBox::Information},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.ergebnis);
    Antworter a;
    EXPECT_EQ(MeldungZeigen(QStringLiteral("Frage?"), f.typ, f.knoepfe, 0, f.vorgabe), f.ergebnis);
    EXPECT_EQ(a.Text, QStringLiteral("Frage?"));
    EXPECT_EQ(a.Symbol, f.symbol);
  }
}

TEST_F(MeldungsBoxTest, ACallFromAnotherThreadShowsTheBoxOnTheUserInterfaceThread) {
  Antworter a;
  std::atomic<int> ergebnis{-1};
  std::atomic<bool> fertig{false};
  std::thread arbeiter([&] {
    ergebnis = MeldungZeigen(QStringLiteral("Vom Arbeiter"), TMsgDlgType::mtConfirmation, mbYes | mbNo, 0, mbNo);
    fertig = true;
  });
  QElapsedTimer zeit;
  zeit.start();
  while (!fertig && zeit.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 10);
  arbeiter.join();
  EXPECT_EQ(ergebnis, mrNo);
  EXPECT_EQ(a.Text, QStringLiteral("Vom Arbeiter"));
  EXPECT_EQ(a.Vorgabe, QMessageBox::No);
  EXPECT_EQ(a.Thread, QApplication::instance()->thread());
}

}  // namespace
