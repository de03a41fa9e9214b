#include "support/Fensterumgebung.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

using namespace kiro;
using kiro::test::Fensterumgebung;

namespace {

class Sprache : public Fensterumgebung {
 protected:
  // The captions as the user reads them: a mnemonic's marker ("&Install") is drawn as an
  // underline, not as a character.
  static QString Gelesen(QString Text) {
    for (qsizetype i = 0; i < Text.size(); ++i)
      if (Text[i] == u'&') Text.remove(i, 1);
    return Text;
  }
  static QStringList Beschriftungen(TFormWebInstall& f) {
    QStringList texte{f.LabelwwwVerbindung->text(),
            f.LabelKiroErreichbar->text(),
            f.LabelInfoStickLaufwerk->text(),
            f.ActionSchliessen->text(),
            f.ActionInstallieren->text(),
            f.ActionFormatieren->text(),
            f.RadioGroupInstallationsmodus->title(),
            f.Installationsmodusknopf(0)->text(),
            f.Installationsmodusknopf(1)->text(),
            f.Installationsmodusknopf(2)->text(),
            f.ActionZielVerzeichniswahl->text(),
            f.ActionAbbrechen->text()};
    for (QString& t : texte) t = Gelesen(t);
    return texte;
  }
};

TEST_F(Sprache, BeideBeschriftungstabellen) {
  auto f = Fenster(TEdition{false, false, true, false});
  const QString host = "127.0.0.1";
  const QStringList deutsch{"Verbindung zum Internetrouter", "Verbindung zu " + host, "Laufwerk Kiro-Stick",
                            "Schließen", "Installieren", "USB-Laufwerk formatieren...", "Installationsmodus",
                            "Auf Stick und Rechner installieren", "Auf den Stick installieren",
                            "Auf den Rechner Installieren", "Zielverzeichnis ändern...", "Abbrechen"};
  const QStringList englisch{"Connection to internet router", "Connection to " + host, "Drive Kiro stick", "Close",
                             "Install", "Format USB drive...", "Installation mode", "Install on stick and computer",
                             "Install on stick", "Install on computer", "Change target directory...", "Cancel"};
  EXPECT_EQ(f->Sprache, "Deutsch");
  EXPECT_EQ(Beschriftungen(*f), deutsch);
  f->SpeedButtonEnglish->click();
  EXPECT_EQ(f->Sprache, "English");
  EXPECT_EQ(Beschriftungen(*f), englisch);
  EXPECT_EQ(f->BitBtnSchliessen->text(), f->ActionSchliessen->text()) << "buttons take their action's caption";
  EXPECT_EQ(Gelesen(f->BitBtnFormatieren->text()), "Format USB drive...");
  f->SpeedButtonDeutsch->click();
  EXPECT_EQ(Beschriftungen(*f), deutsch);
  EXPECT_EQ(Gelesen(f->BitBtnZielVerzeichniswahl->text()), "Zielverzeichnis ändern...");
  // Not switched.
  EXPECT_EQ(f->windowTitle(), "Kiro WebInstall");
  EXPECT_EQ(f->PanelInfo->text(), "Kiro Web Installer");
}

TEST_F(Sprache, WechselBehaeltModusZeilenUndLichter) {
  Laufwerke = {"/media/anna/A/"};
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  f->InstallationsmodusSetzen(1);
  f->OberflaecheAktualisieren();
  const bool modus0Aktiv = f->Installationsmodusknopf(0)->isEnabled();
  f->LogAnfuegen("Download abgeschlossen", "Download complete");
  const int anfragen = Server.Anfragen("/db/servertest.txt");
  Internet = false;  // a refresh would now show the cross
  for (int i = 0; i < 3; ++i) {
    f->ActionEnglish->trigger();
    f->ActionDeutsch->trigger();
  }
  f->ActionEnglish->trigger();
  EXPECT_EQ(f->Installationsmodus(), 1);
  EXPECT_EQ(f->Installationsmodusknopf(0)->isEnabled(), modus0Aktiv);
  EXPECT_EQ(f->LogZeilen(), QStringList{"Download abgeschlossen"});
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), anfragen) << "switching does not refresh";
  EXPECT_EQ(f->VirtualImagewwwVerbindung->ImageName(), "icon_hakengruen1");
}

TEST_F(Sprache, ZeilenNachDemWechselInDerNeuenSprache) {
  auto f = Fenster(TEdition{false, false, false, true});
  const QString de = "Dateien für neuen Stick prüfen %1/%2", en = "Checking files for new stick %1/%2";
  const TLogZeile p = f->LogAnfuegen(de.arg(0).arg(3), en.arg(0).arg(3));
  f->LogAnfuegen("Dateienversion falsch a.txt", "Wrong file version a.txt");
  f->LogZeileErsetzen(p, de.arg(1).arg(3), en.arg(1).arg(3));
  f->SpeedButtonEnglish->click();
  // The remembered line is replaced, not the line appended below it.
  f->LogZeileErsetzen(p, de.arg(2).arg(3), en.arg(2).arg(3));
  f->LogAnfuegen("Dateienversion falsch b.txt", "Wrong file version b.txt");
  f->LogLetzteErsetzen("Neuer Stick wurde unvollständig entzippt", "New stick was not unzipped completely");
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Checking files for new stick 2/3", "Dateienversion falsch a.txt",
                                         "New stick was not unzipped completely"}));
}

TEST_F(Sprache, WederDeutschNochEnglischSchreibtNichts) {
  auto f = Fenster();
  f->LogAnfuegen("eins");
  f->Sprache = "Francais";
  const TLogZeile z = f->LogAnfuegen("zwei", "two");
  f->LogLetzteErsetzen("drei", "three");
  f->LogZeileErsetzen(z, "vier", "four");
  EXPECT_EQ(f->LogZeilen(), QStringList{"eins"});
}

TEST_F(Sprache, LetzteZeileErsetzenAufLeeremLogFuegtAn) {
  auto f = Fenster();
  f->LogLetzteErsetzen("Download abgeschlossen");
  f->LogLetzteErsetzen("Download abgeschlossen");
  EXPECT_EQ(f->LogZeilen(), QStringList{"Download abgeschlossen"});
}

// A screen reader finds a name for every control, in the language shown.
TEST_F(Sprache, JedesSteuerelementHatEinenZugaenglichenNamen) {
  Laufwerke = {"/media/anna/A/"};
  auto f = Fenster(TEdition{false, false, true, false});
  f->show();
  auto name = [](QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
  };
  struct Fall {
    const char* Sprache;
    QStringList Erwartet;  // flags, drive picker, log
  };
  for (const Fall& c : {Fall{"English", {"Deutsch", "English", "Drive Kiro stick", "Log"}},
                        Fall{"Deutsch", {"Deutsch", "English", "Laufwerk Kiro-Stick", "Protokoll"}}}) {
    SCOPED_TRACE(c.Sprache);
    (QString(c.Sprache) == "English" ? f->SpeedButtonEnglish : f->SpeedButtonDeutsch)->click();
    EXPECT_EQ((QStringList{name(f->SpeedButtonDeutsch), name(f->SpeedButtonEnglish), name(f->ComboBoxQVUSBLaufwerk),
                           name(f->RichEditLog)}),
              c.Erwartet);
    for (QWidget* w : f->findChildren<QWidget*>()) {
      const bool steuerelement = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                                 qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QProgressBar*>(w) ||
                                 qobject_cast<TVirtualImage*>(w) || w == f->LabelZielverzeichnis;
      if (steuerelement && w->window() == f.get()) {
        EXPECT_FALSE(name(w).isEmpty()) << w->objectName().toStdString();
      }
    }
  }
  EXPECT_EQ(name(f->VirtualImageKiroErreichbar), "Verbindung zu 127.0.0.1");
}

}  // namespace
