// Device changes as the window meets them: a fixture sysfs tree and mount table read by the
// real drive source, and the watcher's events raised by Pruefen after each change.
#include "support/Fensterumgebung.h"
#include "support/Laufwerksbaum.h"

using namespace kiro;
using kiro::test::Fensterumgebung;

namespace {

class Geraete : public Fensterumgebung {
 protected:
  Geraete() { Quelle = [this] { return Baum.Liste(); }; }

  // A stick edition window, shown (so refreshed once), with drive Name selected when given.
  std::unique_ptr<TFormWebInstall> Bereit(const QString& Name = {}) {
    auto f = Fenster(TEdition{false, false, true, false});
    f->show();
    if (!Name.isEmpty()) {
      f->ComboBoxQVUSBLaufwerk->setCurrentIndex(f->ComboBoxQVUSBLaufwerk->findText(Name));
      f->OberflaecheAktualisieren();
    }
    return f;
  }
  int Servertests() const { return Server.Anfragen("/db/servertest.txt"); }
  static QStringList Eintraege(const TFormWebInstall& f) {
    QStringList e;
    for (int i = 0; i < f.ComboBoxQVUSBLaufwerk->count(); ++i) e << f.ComboBoxQVUSBLaufwerk->itemText(i);
    return e;
  }

  test::Laufwerksbaum Baum;
};

TEST_F(Geraete, AnkunftWaehltDenNeuenStickUndMeldetIhn) {
  struct Fall {
    const char* Was;
    const char* Sprache;
    std::function<void(test::Laufwerksbaum&)> Einstecken;
    QString Gewaehlt;
    QStringList Liste;
    QString Zeile;
  };
  const Fall faelle[] = {
      {"one stick", "Deutsch", [](auto& b) { b.Einstecken("sdc", 32, "/media/anna/F"); }, "/media/anna/F/",
       {"/media/anna/E/", "/media/anna/F/"}, "USB-Stick an Laufwerk /media/anna/F/ gefunden"},
      {"two sticks at once: the last by name", "English",
       [](auto& b) {
         b.Einstecken("sdd", 48, "/media/anna/G");
         b.Einstecken("sdc", 32, "/media/anna/D");
       },
       "/media/anna/G/", {"/media/anna/D/", "/media/anna/E/", "/media/anna/G/"},
       "USB stick detected (drive /media/anna/G/)"},
      {"a stick the desktop does not mount", "Deutsch", [](auto& b) { b.Einstecken("sdc", 32); }, "/dev/sdc1",
       {"/dev/sdc1", "/media/anna/E/"}, "USB-Stick an Laufwerk /dev/sdc1 gefunden"},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Was);
    test::Laufwerksbaum baum;
    Quelle = [&] { return baum.Liste(); };
    baum.Einstecken("sdb", 16, "/media/anna/E");
    auto f = Bereit("/media/anna/E/");
    if (QLatin1String(c.Sprache) == QLatin1String("English")) f->ActionEnglish->trigger();
    const int vorher = Servertests();
    c.Einstecken(baum);
    Beobachter->Pruefen();
    EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), c.Gewaehlt);
    EXPECT_EQ(Eintraege(*f), c.Liste);
    EXPECT_EQ(f->FIndexedDriveList, c.Liste);
    EXPECT_EQ(f->LogZeilen(), QStringList{c.Zeile});
    EXPECT_EQ(Servertests(), vorher + 1) << "one refresh";
    EXPECT_TRUE(f->ActionFormatieren->isEnabled());
    ASSERT_TRUE(f->GewaehltesLaufwerk());
    EXPECT_EQ(f->GewaehltesLaufwerk()->Name, c.Gewaehlt);
  }
}

TEST_F(Geraete, AndereAenderungAktualisiertNurUndBehaeltDieAuswahl) {
  Baum.Einstecken("sdb", 16, "/media/anna/E");
  Baum.Einstecken("sdc", 32, "/media/anna/F");
  auto f = Bereit("/media/anna/E/");
  const int vorher = Servertests();
  Beobachter->Pruefen();  // a device that is no drive: the list is the same
  EXPECT_EQ(Servertests(), vorher + 1);
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/E/");
  EXPECT_TRUE(f->LogZeilen().isEmpty());

  // An arrival that brings no new drive refills the picker, keeps the index and logs nothing.
  const QStringList index = f->FIndexedDriveList;
  f->WMDeviceChange(platform::DBT_DEVICEARRIVAL);
  EXPECT_EQ(f->FIndexedDriveList, index);
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/E/");
  EXPECT_TRUE(f->LogZeilen().isEmpty());
  EXPECT_EQ(Servertests(), vorher + 2);

  f->WMDeviceChange(0x8006);  // not one of the three: ignored, not even refreshed
  EXPECT_EQ(Servertests(), vorher + 2);
}

TEST_F(Geraete, AusgewaehlterStickGezogen) {
  Baum.Einstecken("sdb", 16, "/media/anna/E");
  Baum.Einstecken("sdc", 32, "/media/anna/F");
  auto f = Bereit("/media/anna/F/");
  ASSERT_TRUE(f->ActionFormatieren->isEnabled());
  ASSERT_TRUE(f->Installationsmodusknopf(0)->isEnabled() && f->Installationsmodusknopf(1)->isEnabled());

  Baum.Ziehen("sdb");  // not the selected one: the selection stays
  Beobachter->Pruefen();
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/F/");
  EXPECT_EQ(f->FIndexedDriveList, QStringList{"/media/anna/F/"});

  Baum.Ziehen("sdc");
  Beobachter->Pruefen();
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentIndex(), -1);
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "");
  EXPECT_FALSE(f->GewaehltesLaufwerk());
  EXPECT_TRUE(f->FIndexedDriveList.isEmpty());
  EXPECT_FALSE(f->ActionFormatieren->isEnabled());
  EXPECT_FALSE(f->BitBtnFormatieren->isEnabled());
  EXPECT_FALSE(f->Installationsmodusknopf(0)->isEnabled());
  EXPECT_FALSE(f->Installationsmodusknopf(1)->isEnabled());
  EXPECT_TRUE(f->Installationsmodusknopf(2)->isEnabled());
  EXPECT_TRUE(f->LogZeilen().isEmpty()) << "a removal writes no line";
}

TEST_F(Geraete, MountpunktDerWiederkommtIstNeu) {
  Baum.Einstecken("sdb", 16, "/media/anna/E");
  auto f = Bereit();
  Baum.Ziehen("sdb");
  Beobachter->Pruefen();
  Baum.Einstecken("sdb", 16, "/media/anna/E");
  Beobachter->Pruefen();
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/E/");
  EXPECT_EQ(f->LogZeilen(), QStringList{"USB-Stick an Laufwerk /media/anna/E/ gefunden"});
}

// The mount comes after the device: the drive changes its name from the node to the mount
// point in one change, which is both a removal and an arrival, of the same stick: it is
// announced once, and the selection follows it to its mount point.
TEST_F(Geraete, EinhaengenNachDemKnotenIstDerselbeStick) {
  auto f = Bereit();
  Baum.Einstecken("sdb", 16);
  Beobachter->Pruefen();
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/dev/sdb1");
  Baum.Einhaengen("sdb", "/media/anna/KIRO3HEIM");
  Beobachter->Pruefen();
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/KIRO3HEIM/");
  EXPECT_EQ(f->FIndexedDriveList, QStringList{"/media/anna/KIRO3HEIM/"});
  EXPECT_EQ(f->LogZeilen(), QStringList{"USB-Stick an Laufwerk /dev/sdb1 gefunden"});
  ASSERT_TRUE(f->GewaehltesLaufwerk());
  EXPECT_EQ(f->GewaehltesLaufwerk()->Geraet, "/dev/sdb1");
  EXPECT_TRUE(f->GewaehltesLaufwerk()->Eingehaengt);
}

// A second stick that arrives while the first one moves from node to mount point is still new.
TEST_F(Geraete, NeuerStickNebenDemEinhaengenWirdGemeldet) {
  auto f = Bereit();
  Baum.Einstecken("sdb", 16);
  Beobachter->Pruefen();
  Baum.Einhaengen("sdb", "/media/anna/A");
  Baum.Einstecken("sdc", 32, "/media/anna/B");
  Beobachter->Pruefen();
  EXPECT_EQ(f->LogZeilen(), (QStringList{"USB-Stick an Laufwerk /dev/sdb1 gefunden",
                                         "USB-Stick an Laufwerk /media/anna/B/ gefunden"}));
  EXPECT_EQ(f->FIndexedDriveList, (QStringList{"/media/anna/A/", "/media/anna/B/"}));
}

TEST_F(Geraete, AenderungWaehrendEinerUebertragungFolgtIhrem) {
  Server.Setzen("/db/lehr.7z", QByteArray(32 * 1024, 'z'));
  Server.Fehler("/db/lehr.7z", test::TFehlerbild{.BytesProSchritt = 4096, .PauseProSchrittMs = 30});
  auto f = Bereit();
  bool einmal = false;
  QStringList logWaehrend;
  int anfragenWaehrend = -1;
  auto work = f->IdHTTPDateien->Work;
  f->IdHTTPDateien->Work = [&, work](qint64 n) {
    work(n);
    if (einmal) return;
    einmal = true;
    Baum.Einstecken("sdb", 16, "/media/anna/E");
    anfragenWaehrend = Servertests();
    Beobachter->Pruefen();
    logWaehrend = f->LogZeilen();
  };
  QString pfad;
  const int vorher = Servertests();
  ASSERT_TRUE(f->EditionsarchivLaden(1, pfad));
  EXPECT_EQ(anfragenWaehrend, vorher);
  EXPECT_EQ(logWaehrend.size(), 1) << "only the download line while the transfer runs";
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download abgeschlossen", "USB-Stick an Laufwerk /media/anna/E/ gefunden"}))
      << "the download's line gets its result, not the line added after it";
  EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/E/");
  EXPECT_EQ(Servertests(), vorher + 1);
}

}  // namespace
