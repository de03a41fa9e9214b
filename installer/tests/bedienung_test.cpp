// The main window as a user meets it on a desktop: it is painted before the first server test
// answers, the real folder dialog accepts the proposal, a greyed Install says why, a dark palette
// stays readable, the keyboard reaches everything in order, and Qt's own texts follow the window's
// language.
#include "support/Fensterumgebung.h"
#include "testsupport/ErstesBild.h"
#include "testsupport/Palette.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeySequence>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <set>

using namespace kiro;
using kiro::test::Fensterumgebung;
using kiro::test::TFehlerbild;

namespace {

class Bedienung : public Fensterumgebung {};

// The first server test waits for a server whose answer takes 4 s: the window is on screen and
// painted meanwhile, Install is greyed until the answer, and the answer then enables it.
TEST_F(Bedienung, FensterIstGemaltBevorDerErsteServertestAntwortet) {
  Server.Fehler("/db/servertest.txt", TFehlerbild{.StauVorKopfMs = 4000});
  QElapsedTimer uhr;
  uhr.start();
  auto f = Fenster(TEdition{true, false, false, false});
  test::TErstesBild malen(f->centralWidget(), uhr, f->ActionInstallieren);
  const qint64 erstellt = uhr.elapsed();
  f->show();
  ASSERT_GE(malen.Ms, 0) << "never painted";
  std::printf("first paint %lld ms after the start (window made in %lld ms), server answered after %lld ms\n",
              static_cast<long long>(malen.Ms), static_cast<long long>(erstellt), static_cast<long long>(uhr.elapsed()));
  // The goal is half a second; a loaded machine gets room, the server's 4 s are far off.
  EXPECT_LT(malen.Ms - erstellt, 2000);
  EXPECT_FALSE(malen.AktionAn);
  EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_hakengruen1");
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
}

// The real folder dialog, answered with Enter at once: it takes the proposed folder.
TEST_F(Bedienung, EchterOrdnerdialogNimmtDenVorschlagMitEnter) {
  TWebInstallUmgebung u = Umgebung(TEdition{true, false, false, false});
  u.OrdnerWaehlen = nullptr;
  TFormWebInstall f(u);
  f.show();
  ASSERT_EQ(f.FVerzRechnerInst, Heim / "Kiro3_0001/");
  QStringList boxen;
  bool beantwortet = false;
  QTimer antworten;
  antworten.setInterval(50);
  QElapsedTimer uhr;
  uhr.start();
  QObject::connect(&antworten, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxen << box->text();
      box->reject();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (!beantwortet && dialog->isVisible()) {
        beantwortet = true;
        // From a timer of its own: a box the key opens runs its loop inside the key press.
        QWidget* ziel = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTimer::singleShot(0, ziel, [ziel] { QTest::keyClick(ziel, Qt::Key_Return); });
      } else if (uhr.elapsed() > 8000) {
        dialog->reject();
      }
    }
  });
  antworten.start();
  f.ActionZielVerzeichniswahlExecute();
  antworten.stop();
  EXPECT_TRUE(beantwortet);
  EXPECT_TRUE(boxen.isEmpty()) << boxen.join('|').toStdString();
  EXPECT_EQ(f.FVerzRechnerInst, Heim / "Kiro3_0001/");
  EXPECT_EQ(f.LabelZielverzeichnis->text(), Heim / "Kiro3_0001/");
  EXPECT_FALSE(QFileInfo::exists(Heim / "Kiro3_0001/Kiro3_0001"));
}

// A greyed Install says why while the server test waits and while the server is unreachable,
// in the window's language; once the server answers, the tip is gone.
TEST_F(Bedienung, GesperrtesInstallierenSagtWarum) {
  Server.Fehler("/db/servertest.txt", TFehlerbild{.StauVorKopfMs = 1500});
  auto f = Fenster(TEdition{true, false, false, false});
  QString waehrend;
  QTimer::singleShot(500, f.get(), [&] { waehrend = f->BitBtnInstallieren->toolTip(); });
  f->show();
  EXPECT_EQ(waehrend, "Wartet auf die Antwort des Update-Servers");
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
  EXPECT_EQ(f->BitBtnInstallieren->toolTip(), "");

  Server.Fehler("/db/servertest.txt", TFehlerbild{.Status = 404});
  f->OberflaecheAktualisieren();
  EXPECT_FALSE(f->ActionInstallieren->isEnabled());
  EXPECT_EQ(f->BitBtnInstallieren->toolTip(), "Keine Verbindung zum Update-Server");
  f->ActionEnglish->trigger();
  EXPECT_EQ(f->BitBtnInstallieren->toolTip(), "No connection to the update server");
  Server.Fehler("/db/servertest.txt", TFehlerbild{.StauVorKopfMs = 1500});
  QTimer::singleShot(500, f.get(), [&] { waehrend = f->BitBtnInstallieren->toolTip(); });
  f->OberflaecheAktualisieren();
  EXPECT_EQ(waehrend, "Waiting for the update server's answer");
  EXPECT_EQ(f->BitBtnInstallieren->toolTip(), "");
}

// Every reason that greys Install is named, in the window's language: in the button's tip, and
// in the log when Enter is pressed in the window (where it would press Install). The first case
// is the first start of the stick edition with no stick in: mode 0 checked, its button greyed.
TEST_F(Bedienung, JederGrundFuerGesperrtesInstallierenWirdGenannt) {
  struct Fall {
    const char* Name;
    TEdition Edition;
    QStringList Laufwerke;
    bool LaufwerkGewaehlt;
    bool Ziel;
    int Modus;  // -1: none checked
    bool ServerDa;
    QStringList Deutsch, Englisch;
  };
  const TEdition stick{false, false, true, false}, lehr{true, false, false, false};
  const QStringList einStick{"/media/anna/A/"};
  const QString keinLaufwerk = "Kein USB-Laufwerk angeschlossen", noDrive = "No USB drive connected";
  const QString nichtGewaehlt = "Kein USB-Laufwerk gewählt", notChosen = "No USB drive selected";
  const QString keinZiel = "Kein Zielverzeichnis gewählt", noTarget = "No target directory chosen";
  const QString keinServer = "Keine Verbindung zum Update-Server", noServer = "No connection to the update server";
  const std::vector<Fall> faelle{
      {"first start, no stick", stick, {}, false, true, 0, true, {keinLaufwerk}, {noDrive}},
      {"stick there, none selected", stick, einStick, false, true, 1, true, {nichtGewaehlt}, {notChosen}},
      {"no target folder", stick, einStick, true, false, 2, true, {keinZiel}, {noTarget}},
      {"no mode", stick, einStick, true, true, -1, true, {"Kein Installationsmodus gewählt"},
       {"No installation mode chosen"}},
      {"neither drive nor target", stick, {}, false, false, 0, true, {keinLaufwerk, keinZiel}, {noDrive, noTarget}},
      {"no server", lehr, {}, false, true, 0, false, {keinServer}, {noServer}},
      {"no server, no stick", stick, {}, false, true, 0, false, {keinServer, keinLaufwerk}, {noServer, noDrive}},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    Laufwerke = c.Laufwerke;
    Server.Fehler("/db/servertest.txt", c.ServerDa ? TFehlerbild{} : TFehlerbild{.Status = 404});
    TWebInstallUmgebung u = Umgebung(c.Edition);
    if (!c.Ziel) u.Basisverzeichnis.clear();
    TFormWebInstall f(u);
    f.show();
    if (c.LaufwerkGewaehlt) DriveWaehlen(f, 0);
    if (c.Modus >= 0) {
      f.InstallationsmodusSetzen(c.Modus);
    } else {
      QButtonGroup* gruppe = f.Installationsmodusknopf(0)->group();
      gruppe->setExclusive(false);
      for (int i = 0; i < 3; ++i) f.Installationsmodusknopf(i)->setChecked(false);
      gruppe->setExclusive(true);
    }
    f.OberflaecheAktualisieren();
    ASSERT_EQ(f.FVerzRechnerInst.isEmpty(), !c.Ziel);
    ASSERT_EQ(f.Installationsmodus(), c.Modus);
    ASSERT_TRUE(f.BitBtnInstallieren->isVisible());
    ASSERT_FALSE(f.BitBtnInstallieren->isEnabled());
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    for (QAction* sprache : {f.ActionDeutsch, f.ActionEnglish}) {
      sprache->trigger();
      SCOPED_TRACE(f.Sprache.toStdString());
      const bool en = sprache == f.ActionEnglish;
      const QStringList gruende = en ? c.Englisch : c.Deutsch;
      EXPECT_EQ(f.BitBtnInstallieren->toolTip().toStdString(), gruende.join('\n').toStdString());
      f.RichEditLog->setFocus(Qt::TabFocusReason);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      EXPECT_EQ(f.LogZeilen().value(f.LogZeilen().size() - 1).toStdString(),
                ((en ? "Cannot install: " : "Installieren nicht möglich: ") + gruende.join("; ")).toStdString());
    }
  }
}

// Over every combination of editions, drive, target folder, mode and server: Install is enabled
// by the window's rule, and whenever it is shown greyed its tip names a reason.
TEST_F(Bedienung, GesperrtesInstallierenHatImmerEinenGrund) {
  auto f = Fenster();
  f->show();
  QButtonGroup* gruppe = f->Installationsmodusknopf(0)->group();
  const QString ziel = f->FVerzRechnerInst;
  ASSERT_FALSE(ziel.isEmpty());
  for (int edition = 0; edition < 16; ++edition)
    for (int laufwerk = 0; laufwerk < 3; ++laufwerk)  // none there, there but not selected, selected
      for (const bool mitZiel : {false, true})
        for (int modus = -1; modus < 3; ++modus)
          for (const bool serverDa : {false, true}) {
            const bool A = edition & 1, B = edition & 2, R = edition & 4, H = edition & 8;
            f->FEditionLehr = A;
            f->FEditionCBT = B;
            f->FEditionLehrStick = R;
            f->FEditionHeimStick = H;
            Laufwerke = laufwerk == 0 ? QStringList() : QStringList{"/media/anna/A/"};
            f->LaufwerkslisteFuellen();
            DriveWaehlen(*f, laufwerk == 2 ? 0 : -1);
            f->FVerzRechnerInst = mitZiel ? ziel : QString();
            gruppe->setExclusive(false);
            for (int i = 0; i < 3; ++i) f->Installationsmodusknopf(i)->setChecked(i == modus);
            gruppe->setExclusive(true);
            Server.Fehler("/db/servertest.txt", serverDa ? TFehlerbild{} : TFehlerbild{.Status = 404});
            f->OberflaecheAktualisieren();
            const bool D = laufwerk == 2, T = mitZiel;
            const bool stickBereit = (modus == 0 && T && D) || (modus == 1 && D) || (modus == 2 && T);
            const bool erwartet = serverDa && ((R && stickBereit) || A || B || H);
            SCOPED_TRACE(testing::Message() << "edition " << edition << " drive " << laufwerk << " target " << T
                                            << " mode " << modus << " server " << serverDa);
            ASSERT_EQ(f->ActionInstallieren->isEnabled(), erwartet);
            if (f->ActionInstallieren->isVisible()) {
              ASSERT_EQ(f->BitBtnInstallieren->toolTip().isEmpty(), erwartet) << f->BitBtnInstallieren->toolTip().toStdString();
            }
          }
}

double Leuchtdichte(const QColor& c) {
  auto kanal = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * kanal(c.redF()) + 0.7152 * kanal(c.greenF()) + 0.0722 * kanal(c.blueF());
}

double Kontrast(const QColor& a, const QColor& b) {
  const double x = Leuchtdichte(a), y = Leuchtdichte(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// Under Fusion with a dark palette every text of the window stands out from what is drawn
// behind it (4.5:1, the title band's large bold text 3:1).
TEST_F(Bedienung, DunklePaletteBleibtLesbar) {
  const QPalette vorher = QApplication::palette();
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setPalette(test::DunklePalette());
  {
    Laufwerke = QStringList{Heim / "stick/"};
    auto f = Fenster(TEdition{false, false, true, false});
    f->show();
    DriveWaehlen(*f, 0);
    f->OberflaecheAktualisieren();
    const QImage bild = f->grab().toImage();
    const qreal dpr = bild.devicePixelRatio();
    struct Text {
      QWidget* W;
      double Mindestens;
    };
    std::vector<Text> texte{{f->PanelInfo, 3.0},
                            {f->LabelwwwVerbindung, 4.5},
                            {f->LabelKiroErreichbar, 4.5},
                            {f->LabelInfoStickLaufwerk, 4.5},
                            {f->LabelZielverzeichnis, 4.5},
                            {f->RadioGroupInstallationsmodus, 4.5}};
    for (int i = 0; i < 3; ++i) texte.push_back({f->Installationsmodusknopf(i), 4.5});
    for (const Text& t : texte) {
      SCOPED_TRACE(t.W->objectName().toStdString());
      // The top left corner of the widget shows only what lies behind its text.
      const QPoint ecke = t.W->mapTo(f.get(), QPoint(1, 1));
      const QColor hinten = bild.pixelColor(QPoint(qRound(ecke.x() * dpr), qRound(ecke.y() * dpr)));
      const QColor schrift = t.W->palette().color(t.W->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                                  t.W->foregroundRole());
      EXPECT_GE(Kontrast(schrift, hinten), t.Mindestens) << schrift.name().toStdString() << " on "
                                                         << hinten.name().toStdString();
    }
  }
  QApplication::setPalette(vorher);
}

// The mnemonic of a caption ("&Installieren" gives I), upper-cased; "" when it has none.
QString Mnemonic(const QString& Text) {
  return QKeySequence::mnemonic(Text).toString().remove(QStringLiteral("Alt+")).toUpper();
}

// Every button and labelled control has its own Alt key in both languages.
TEST_F(Bedienung, TastenkuerzelOhneDoppelteInBeidenSprachen) {
  auto f = Fenster(TEdition{false, false, true, false});
  EXPECT_EQ(f->LabelInfoStickLaufwerk->buddy(), f->ComboBoxQVUSBLaufwerk);
  for (QAction* sprache : {f->ActionDeutsch, f->ActionEnglish}) {
    sprache->trigger();
    SCOPED_TRACE(f->Sprache.toStdString());
    QStringList texte{f->BitBtnFormatieren->text(),      f->BitBtnZielVerzeichniswahl->text(),
                      f->BitBtnInstallieren->text(),     f->BitBtnAbbrechen->text(),
                      f->BitBtnSchliessen->text(),       f->LabelInfoStickLaufwerk->text(),
                      f->RadioGroupInstallationsmodus->title()};
    for (int i = 0; i < 3; ++i) texte << f->Installationsmodusknopf(i)->text();
    std::set<QString> gesehen;
    for (const QString& t : texte) {
      const QString taste = Mnemonic(t);
      EXPECT_FALSE(taste.isEmpty()) << t.toStdString();
      EXPECT_TRUE(gesehen.insert(taste).second) << t.toStdString() << " repeats " << taste.toStdString();
    }
  }
}

// The keyboard as a user meets it: Tab walks the left column top to bottom, then the right
// column top to bottom (the install modes are one stop, entered at the first), then the log; Enter anywhere but on another button presses Install; an
// Alt key reaches the drive picker.
TEST_F(Bedienung, TabfolgeEnterUndAltTaste) {
  Laufwerke = QStringList{Heim / "stick/"};
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  DriveWaehlen(*f, 0);
  f->InstallationsmodusSetzen(2);
  f->OberflaecheAktualisieren();
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
  ASSERT_TRUE(f->ActionInstallieren->isEnabled());

  const std::vector<QWidget*> erwartet{f->BitBtnZielVerzeichniswahl,
                                       f->BitBtnInstallieren,
                                       f->BitBtnSchliessen,
                                       f->ComboBoxQVUSBLaufwerk,
                                       f->Installationsmodusknopf(0),
                                       f->BitBtnFormatieren,
                                       f->SpeedButtonDeutsch,
                                       f->SpeedButtonEnglish,
                                       f->RichEditLog};
  erwartet.front()->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> besucht{QApplication::focusWidget()};
  for (std::size_t i = 1; i < erwartet.size() + 1; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    besucht.push_back(QApplication::focusWidget());
  }
  std::vector<QWidget*> rund = erwartet;
  rund.push_back(erwartet.front());
  auto namen = [](const std::vector<QWidget*>& l) {
    std::string s;
    for (QWidget* w : l) s += (w ? w->objectName().toStdString() : std::string("-")) + " ";
    return s;
  };
  EXPECT_EQ(besucht, rund) << namen(besucht);

  QSignalSpy gedrueckt(f->ActionInstallieren, &QAction::triggered);
  for (QWidget* w : std::vector<QWidget*>{f->ComboBoxQVUSBLaufwerk, f->Installationsmodusknopf(2), f->RichEditLog}) {
    SCOPED_TRACE(w->objectName().toStdString());
    const qsizetype vorher = gedrueckt.count();
    w->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w, Qt::Key_Return);
    EXPECT_EQ(gedrueckt.count(), vorher + 1);
  }

  f->BitBtnSchliessen->setFocus(Qt::TabFocusReason);
  QTest::keyClick(f.get(), Qt::Key_K, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), f->ComboBoxQVUSBLaufwerk);
}

// Qt's own dialogs speak the window's language, and switch with it.
TEST_F(Bedienung, QtTexteFolgenDerSpracheDesFensters) {
  auto f = Fenster();
  auto abbrechen = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
  EXPECT_EQ(abbrechen(), "Abbrechen");
  f->ActionEnglish->trigger();
  EXPECT_EQ(abbrechen(), "Cancel");
  f->ActionDeutsch->trigger();
  EXPECT_EQ(abbrechen(), "Abbrechen");
  QMessageBox box(QMessageBox::Question, "Kiro", "?", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::No)->text().remove(u'&'), "Nein");
}

}  // namespace
