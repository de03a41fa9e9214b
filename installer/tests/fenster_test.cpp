#include "support/Fensterumgebung.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace kiro;
using kiro::test::Fensterumgebung;

namespace {

// ---------------------------------------------------------------------------------------------
// The refresh rules over every edition combination, install mode, drive, target and server.

struct Erwartung {
  bool FormatSichtbar, FormatAktiv, StickteilSichtbar, Modus01Aktiv;
  bool InstallSichtbar, InstallAktiv, ZielSichtbar;
};

// The rules in the words a user would check them with.
Erwartung Erwarten(const TEdition& e, int modus, bool laufwerk, bool ziel, bool server) {
  Erwartung x{};
  x.FormatSichtbar = e.LehrStick;
  x.FormatAktiv = laufwerk;
  x.StickteilSichtbar = e.LehrStick;
  x.Modus01Aktiv = laufwerk;
  x.InstallSichtbar = e.Lehr || e.CBT || e.LehrStick || e.HeimStick;
  const bool stickBereit = modus == 0   ? laufwerk && ziel
                           : modus == 1 ? laufwerk
                                        : ziel;
  const bool computerEdition = e.Lehr || e.CBT || e.HeimStick;
  x.InstallAktiv = server && (computerEdition || (e.LehrStick && stickBereit));
  x.ZielSichtbar = computerEdition || (e.LehrStick && modus != 1);
  return x;
}

class Aktualisieren : public Fensterumgebung, public ::testing::WithParamInterface<int> {};

TEST_P(Aktualisieren, RegelnUeberModusLaufwerkZielUndServer) {
  const int bits = GetParam();
  const TEdition e{bool(bits & 1), bool(bits & 2), bool(bits & 4), bool(bits & 8)};
  Laufwerke = {"/media/anna/KIRO3HEIM/"};
  auto f = Fenster(e);
  for (bool server : {true, false}) {
    if (server) Server.Setzen("/db/servertest.txt", "ok");
    else Server.Entfernen("/db/servertest.txt");
    for (int modus = 0; modus < 3; ++modus)
      for (bool laufwerk : {true, false})
        for (bool ziel : {true, false}) {
          SCOPED_TRACE(testing::Message() << "A=" << e.Lehr << " B=" << e.CBT << " R=" << e.LehrStick
                                          << " H=" << e.HeimStick << " M=" << modus << " D=" << laufwerk
                                          << " T=" << ziel << " server=" << server);
          f->InstallationsmodusSetzen(modus);
          DriveWaehlen(*f, laufwerk ? 0 : -1);
          f->FVerzRechnerInst = ziel ? Heim / "Kiro3_0001/" : QString();
          f->OberflaecheAktualisieren();
          const Erwartung x = Erwarten(e, modus, laufwerk, ziel, server);

          EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), server ? "icon_hakengruen1" : "icon_RotesKreuz");
          EXPECT_EQ(f->VirtualImagewwwVerbindung->ImageName(), "icon_hakengruen1");
          EXPECT_EQ(f->ActionFormatieren->isVisible(), x.FormatSichtbar);
          // A hidden action also reports itself disabled.
          EXPECT_EQ(f->ActionFormatieren->isEnabled(), x.FormatSichtbar && x.FormatAktiv);
          EXPECT_EQ(!f->LabelInfoStickLaufwerk->isHidden(), x.StickteilSichtbar);
          EXPECT_EQ(!f->ComboBoxQVUSBLaufwerk->isHidden(), x.StickteilSichtbar);
          EXPECT_EQ(!f->RadioGroupInstallationsmodus->isHidden(), x.StickteilSichtbar);
          EXPECT_EQ(f->Installationsmodusknopf(0)->isEnabled(), x.Modus01Aktiv);
          EXPECT_EQ(f->Installationsmodusknopf(1)->isEnabled(), x.Modus01Aktiv);
          EXPECT_TRUE(f->Installationsmodusknopf(2)->isEnabled());
          EXPECT_EQ(f->ActionInstallieren->isVisible(), x.InstallSichtbar);
          EXPECT_EQ(f->ActionInstallieren->isEnabled(), x.InstallAktiv);
          EXPECT_EQ(!f->ProgressBarInstaller->isHidden(), x.InstallSichtbar);
          EXPECT_EQ(f->ActionZielVerzeichniswahl->isVisible(), x.ZielSichtbar);
          EXPECT_EQ(!f->LabelZielverzeichnis->isHidden(), x.ZielSichtbar);
          // Buttons follow their actions.
          EXPECT_EQ(!f->BitBtnInstallieren->isHidden(), x.InstallSichtbar);
          EXPECT_EQ(f->BitBtnInstallieren->isEnabled(), x.InstallAktiv);
          EXPECT_EQ(!f->BitBtnFormatieren->isHidden(), x.FormatSichtbar);
          EXPECT_EQ(!f->BitBtnZielVerzeichniswahl->isHidden(), x.ZielSichtbar);
          // Never touched by the refresh.
          EXPECT_FALSE(f->ActionAbbrechen->isVisible());
          EXPECT_TRUE(f->ActionSchliessen->isVisible() && f->ActionSchliessen->isEnabled());
          EXPECT_TRUE(f->ActionDeutsch->isEnabled() && f->ActionEnglish->isEnabled());
        }
  }
}

INSTANTIATE_TEST_SUITE_P(Editionen, Aktualisieren, ::testing::Range(0, 16), [](const auto& info) {
  const int b = info.param;
  std::string n;
  if (b & 1) n += "A";
  if (b & 2) n += "B";
  if (b & 4) n += "R";
  if (b & 8) n += "H";
  return n.empty() ? std::string("keine") : n;
});

class Hauptfenster : public Fensterumgebung {};

TEST_F(Hauptfenster, OhneEditionBleibenNurLichterSpracheSchliessenUndLog) {
  auto f = Fenster();
  f->show();  // the first refresh runs when the window is shown
  for (QWidget* w : std::initializer_list<QWidget*>{f->BitBtnInstallieren, f->ProgressBarInstaller,
                                                    f->BitBtnZielVerzeichniswahl, f->LabelZielverzeichnis,
                                                    f->ComboBoxQVUSBLaufwerk, f->RadioGroupInstallationsmodus,
                                                    f->BitBtnFormatieren, f->BitBtnAbbrechen, f->LabelInfoStickLaufwerk})
    EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
  for (QWidget* w : std::initializer_list<QWidget*>{f->PanelInfo, f->VirtualImagewwwVerbindung, f->LabelwwwVerbindung,
                                                    f->VirtualImageKiroErreichbar, f->LabelKiroErreichbar,
                                                    f->SpeedButtonDeutsch, f->SpeedButtonEnglish, f->BitBtnSchliessen,
                                                    f->RichEditLog})
    EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
}

TEST_F(Hauptfenster, ErstellungOhneAnzeigeHatDieEntwurfszustaende) {
  Internet = true;
  auto f = Fenster(TEdition{false, false, true, false});
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), 0);
  EXPECT_EQ(f->VirtualImagewwwVerbindung->ImageName(), "icon_RotesKreuz");
  EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_RotesKreuz");
  EXPECT_FALSE(f->ActionFormatieren->isEnabled());
  EXPECT_FALSE(f->ActionAbbrechen->isVisible());
  EXPECT_EQ(f->Sprache, "Deutsch");
  EXPECT_EQ(f->Installationsmodus(), 0);
  EXPECT_EQ(f->windowTitle(), "Kiro WebInstall");
  EXPECT_EQ(f->PanelInfo->text(), "Kiro Web Installer");
  EXPECT_EQ(f->FTempSystemverzeichnis, Temp.Pfad());
  f->show();
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), 1);
  EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_hakengruen1");
  Internet = false;
  f->InstallationsmodusSetzen(2);
  f->OberflaecheAktualisieren();
  EXPECT_EQ(f->VirtualImagewwwVerbindung->ImageName(), "icon_RotesKreuz");
  EXPECT_TRUE(f->ActionInstallieren->isEnabled()) << "the internet light does not gate Install";
}

TEST_F(Hauptfenster, KomponentenTragenIhreNamen) {
  auto f = Fenster();
  for (const char* name :
       {"PanelInfo", "VirtualImagewwwVerbindung", "LabelwwwVerbindung", "VirtualImageKiroErreichbar",
        "LabelKiroErreichbar", "LabelInfoStickLaufwerk", "ComboBoxQVUSBLaufwerk", "BitBtnFormatieren",
        "RadioGroupInstallationsmodus", "BitBtnZielVerzeichniswahl", "LabelZielverzeichnis", "BitBtnInstallieren",
        "BitBtnAbbrechen", "ProgressBarInstaller", "BitBtnSchliessen", "SpeedButtonDeutsch", "SpeedButtonEnglish",
        "RichEditLog", "FileOpenDialogCBTKopieren", "ActionManagerWebInstaller"})
    EXPECT_NE(f->findChild<QObject*>(name), nullptr) << name;
  QStringList aktionen;
  for (QObject* o : f->ActionManagerWebInstaller->children()) aktionen << o->objectName();
  EXPECT_EQ(aktionen, (QStringList{"ActionFormatieren", "ActionSchliessen", "ActionZielVerzeichniswahl",
                                   "ActionInstallieren", "ActionAbbrechen", "ActionDeutsch", "ActionEnglish"}));
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->maxVisibleItems(), 20);
  EXPECT_TRUE(f->RichEditLog->isReadOnly());
}

TEST_F(Hauptfenster, FlaggenUndLichterKommenAusDerBildersammlung) {
  auto f = Fenster();
  f->show();
  EXPECT_FALSE(f->SpeedButtonDeutsch->icon().isNull());
  EXPECT_FALSE(f->SpeedButtonEnglish->icon().isNull());
  const QImage licht = f->VirtualImageKiroErreichbar->grab().toImage();
  const QRgb mitte = licht.pixel(licht.width() / 2 - 1, licht.height() / 2 + 1);
  EXPECT_NE(mitte, QColor(Qt::white).rgb()) << "the light draws its picture";
}

TEST_F(Hauptfenster, GroesserGezogenFolgenRechtsVerankerteTeileUndDasLog) {
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  const QRect radio = f->RadioGroupInstallationsmodus->geometry();
  const QRect log = f->RichEditLog->geometry();
  const QRect links = f->BitBtnSchliessen->geometry();
  f->resize(f->width() + 200, f->height() + 100);
  QApplication::processEvents();
  EXPECT_EQ(f->RadioGroupInstallationsmodus->geometry().x(), radio.x() + 200);
  EXPECT_EQ(f->BitBtnSchliessen->geometry(), links);
  EXPECT_EQ(f->RichEditLog->geometry().width(), log.width() + 200);
  EXPECT_EQ(f->RichEditLog->geometry().height(), log.height() + 100);
}

// ---------------------------------------------------------------------------------------------
// Target-folder proposal

QStringList Inhalt(const QString& ordner) { return QDir(ordner).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System); }

TEST_F(Hauptfenster, VorhandeneInstallationWirdVorgeschlagenOhneOrdnerAnzulegen) {
  Heim.Schreiben("Kiro3_0001/setup.exe", "MZ");
  auto f = Fenster();
  EXPECT_EQ(f->FVerzRechnerInst, Heim / "Kiro3_0001/");
  EXPECT_EQ(f->LabelZielverzeichnis->text(), Heim / "Kiro3_0001/");
  EXPECT_EQ(Inhalt(Heim.Pfad()), QStringList{"Kiro3_0001"});
}

TEST_F(Hauptfenster, FreieNummerWirdNurErprobt) {
  QDir().mkpath(Heim / "Kiro3_0001");
  auto f = Fenster();
  EXPECT_EQ(f->FVerzRechnerInst, Heim / "Kiro3_0002/");
  EXPECT_FALSE(QFileInfo::exists(Heim / "Kiro3_0002")) << "the probe folder is not left behind";
  EXPECT_EQ(Inhalt(Heim.Pfad()), QStringList{"Kiro3_0001"});
}

TEST_F(Hauptfenster, SetupAlsOrdnerZaehltNichtAlsInstallation) {
  QDir().mkpath(Heim / "Kiro3_0001/setup.exe");
  auto f = Fenster();
  EXPECT_EQ(f->FVerzRechnerInst, Heim / "Kiro3_0002/");
}

TEST_F(Hauptfenster, OhneBasisordnerKeinVorschlagUndStickeditionNurMitLaufwerk) {
  Laufwerke = {"/media/anna/STICK/"};
  TWebInstallUmgebung u = Umgebung(TEdition{false, false, true, false});
  u.Basisverzeichnis = Heim / "gibtsnicht/";
  TFormWebInstall f(u);
  EXPECT_EQ(f.FVerzRechnerInst, "");
  EXPECT_EQ(f.LabelZielverzeichnis->text(), "");
  EXPECT_FALSE(QFileInfo::exists(Heim / "gibtsnicht"));
  DriveWaehlen(f, 0);
  for (int modus : {0, 1, 2}) {
    f.InstallationsmodusSetzen(modus);
    f.OberflaecheAktualisieren();
    EXPECT_EQ(f.ActionInstallieren->isEnabled(), modus == 1) << modus;
  }
}

TEST_F(Hauptfenster, OrdnerwahlAbgebrochenLaesstZielUndKeinenProbeordner) {
  QString gesehen;
  bool probeDa = false;
  OrdnerWaehlen = [&](const QString& v) {
    gesehen = v;
    probeDa = QFileInfo(v).isDir();
    return QString();
  };
  auto f = Fenster(TEdition{true, false, false, false});
  const QString vorher = f->FVerzRechnerInst;
  const int anfragen = Server.Anfragen("/db/servertest.txt");
  f->ActionZielVerzeichniswahl->trigger();
  EXPECT_EQ(gesehen, Heim / "Kiro3_0001/");
  EXPECT_TRUE(probeDa) << "the dialog opens on the probed folder";
  EXPECT_FALSE(QFileInfo::exists(Heim / "Kiro3_0001"));
  EXPECT_EQ(f->FVerzRechnerInst, vorher);
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), anfragen) << "no refresh after a cancelled choice";
}

TEST_F(Hauptfenster, OrdnerwahlBestaetigtSetztZielMitTrenner) {
  QDir().mkpath(Heim / "Spiele/Kiro");
  OrdnerWaehlen = [&](const QString&) { return Heim / "Spiele/Kiro"; };
  auto f = Fenster(TEdition{true, false, false, false});
  const int anfragen = Server.Anfragen("/db/servertest.txt");
  f->ActionZielVerzeichniswahl->trigger();
  EXPECT_EQ(f->FVerzRechnerInst, Heim / "Spiele/Kiro/");
  EXPECT_EQ(f->LabelZielverzeichnis->text(), Heim / "Spiele/Kiro/");
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), anfragen + 1);
  EXPECT_EQ(Inhalt(Heim.Pfad()), QStringList{"Spiele"});
}

TEST_F(Hauptfenster, ProbeordnerMitInhaltBleibtStehen) {
  OrdnerWaehlen = [&](const QString& v) {
    Heim.Schreiben("Kiro3_0001/notiz.txt", "x");
    return v;
  };
  auto f = Fenster(TEdition{true, false, false, false});
  f->ActionZielVerzeichniswahl->trigger();
  EXPECT_TRUE(QFileInfo::exists(Heim / "Kiro3_0001/notiz.txt"));
  EXPECT_EQ(f->FVerzRechnerInst, Heim / "Kiro3_0001/");
}

// ---------------------------------------------------------------------------------------------
// Drive picker

TEST_F(Hauptfenster, LaufwerkslisteBehaeltAuswahlSolangeDasLaufwerkDaIst) {
  Laufwerke = {"/media/anna/A/", "/media/anna/B/"};
  auto f = Fenster(TEdition{false, false, true, false});
  EXPECT_EQ(f->FIndexedDriveList, Laufwerke);
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "") << "no drive is selected at start";
  int aenderungen = 0;
  QObject::connect(f->ComboBoxQVUSBLaufwerk, &QComboBox::activated, [&] { ++aenderungen; });
  DriveWaehlen(*f, 1);
  Laufwerke = {"/dev/sdc1", "/media/anna/B/", "/media/anna/C/"};
  EXPECT_EQ(f->LaufwerkslisteFuellen(), Laufwerke);
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/B/");
  Laufwerke = {"/media/anna/C/"};
  f->LaufwerkslisteFuellen();
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentIndex(), -1);
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "");
  EXPECT_EQ(aenderungen, 0) << "selecting from code is no user change";
}

TEST_F(Hauptfenster, LaufwerkslisteZeigtZwanzigZeilenBevorSieRollt) {
  Laufwerke.clear();
  for (int i = 0; i < 40; ++i) Laufwerke.append(QStringLiteral("/media/anna/S%1/").arg(i, 2, 10, QChar(u'0')));
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  TComboBoxQV* c = f->ComboBoxQVUSBLaufwerk;
  ASSERT_EQ(c->count(), 40);
  c->showPopup();
  QAbstractItemView* v = c->view();
  EXPECT_EQ(v->indexAt(QPoint(2, 0)).row(), 0);
  EXPECT_EQ(v->indexAt(QPoint(2, v->viewport()->height() - 1)).row(), 19);
  c->hidePopup();
}

TEST_F(Hauptfenster, ModusklickUndLaufwerkswahlAktualisieren) {
  Laufwerke = {"/media/anna/A/"};
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  const int anfragen = Server.Anfragen("/db/servertest.txt");
  f->Installationsmodusknopf(2)->click();
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), anfragen + 1);
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
  f->ComboBoxQVUSBLaufwerk->setCurrentIndex(0);
  emit f->ComboBoxQVUSBLaufwerk->activated(0);
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), anfragen + 2);
  EXPECT_TRUE(f->ActionFormatieren->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// Close, Cancel, and the controls during an action

TEST_F(Hauptfenster, AbbrechenSetztNurDieMarke) {
  auto f = Fenster(TEdition{false, false, false, true});
  f->show();
  f->ActionAbbrechen->setVisible(true);
  f->BitBtnAbbrechen->click();
  EXPECT_TRUE(f->Abbrechen);
  EXPECT_TRUE(f->isVisible());
}

TEST_F(Hauptfenster, SchliessenSchliesstDasFenster) {
  auto f = Fenster();
  f->show();
  f->BitBtnSchliessen->click();
  EXPECT_FALSE(f->isVisible());
}

TEST_F(Hauptfenster, WaehrendEinerAktionGesperrtUndDanachWiederhergestellt) {
  Laufwerke = {"/media/anna/A/"};
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  DriveWaehlen(*f, 0);
  f->OberflaecheAktualisieren();
  ASSERT_TRUE(f->ActionInstallieren->isEnabled());
  {
    TFormWebInstall::TLaufSperre sperre(*f);
    // A refresh meanwhile (after a device change) keeps them disabled.
    f->OberflaecheAktualisieren();
    EXPECT_FALSE(f->ActionInstallieren->isEnabled());
    EXPECT_FALSE(f->ActionFormatieren->isEnabled());
    EXPECT_FALSE(f->ActionZielVerzeichniswahl->isEnabled());
    EXPECT_FALSE(f->ComboBoxQVUSBLaufwerk->isEnabled());
    EXPECT_FALSE(f->RadioGroupInstallationsmodus->isEnabled());
    f->ActionAbbrechen->setVisible(true);  // as the stick build shows it
    EXPECT_TRUE(f->ActionAbbrechen->isEnabled());
    EXPECT_TRUE(f->ActionDeutsch->isEnabled() && f->ActionEnglish->isEnabled());
    // Closing waits for the action.
    f->close();
    EXPECT_TRUE(f->isVisible());
  }
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
  EXPECT_TRUE(f->ActionFormatieren->isEnabled());
  EXPECT_TRUE(f->ActionZielVerzeichniswahl->isEnabled());
  EXPECT_TRUE(f->ComboBoxQVUSBLaufwerk->isEnabled());
  EXPECT_TRUE(f->RadioGroupInstallationsmodus->isEnabled());
  QApplication::processEvents();
  EXPECT_FALSE(f->isVisible()) << "the close asked for meanwhile follows the action";
}

TEST(Edition, NamenDerBauoption) {
  struct Fall {
    const char* Name;
    bool Gueltig = false, A = false, B = false, R = false, H = false;
  };
  for (const Fall& c : {Fall{"Lehr", true, true, false, false, false}, Fall{"CBT", true, false, true, false, false},
                        Fall{"LehrStick", true, false, false, true, false},
                        Fall{"HeimStick", true, false, false, false, true}, Fall{"heimstick", false},
                        Fall{"", false}}) {
    const auto e = EditionAusName(c.Name);
    ASSERT_EQ(e.has_value(), c.Gueltig) << c.Name;
    if (!e) continue;
    EXPECT_EQ(e->Lehr, c.A);
    EXPECT_EQ(e->CBT, c.B);
    EXPECT_EQ(e->LehrStick, c.R);
    EXPECT_EQ(e->HeimStick, c.H);
  }
}

}  // namespace

namespace {

TEST(Infofenster, VersteckteSammlungMitDenBildernDesHauptfensters) {
  ASSERT_EQ(kiro::ImageCollectionKiroGesamt(), nullptr);
  {
    kiro::TFormInfo info;
    EXPECT_FALSE(info.isVisible());
    EXPECT_EQ(info.objectName(), "FormInfo");
    EXPECT_TRUE(info.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(info.windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_EQ(kiro::ImageCollectionKiroGesamt(), &info.ImageCollectionKiroGesamt);
    for (const char* name : {"icon_RotesKreuz", "icon_hakengruen1", "icon_flaggeDE", "icon_flaggeUK"})
      EXPECT_TRUE(info.ImageCollectionKiroGesamt.Enthaelt(name)) << name;
  }
  EXPECT_EQ(kiro::ImageCollectionKiroGesamt(), nullptr) << "no dangling collection after the window";
}

}  // namespace
