// The install-script analysis against a fixture installation: a program folder with a real PE
// "KiroSim.exe" of version 3.5.7.0, program files without version information, data files, a
// local script of what is installed and an offered script of all four kinds.
#include "datafiles/Script.h"

#include "components/BaumansichtQt.h"
#include "foundation/CRC32.h"
#include "foundation/KiroTypen.h"
#include "foundation/Sprachtabelle.h"
#include "platform/Registrierung.h"
#include "platform/Systemdaten.h"

#include "support/Testdatei.h"

#include "testsupport/PeProgramm.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QLocale>
#include <QTreeWidget>

#include <sys/stat.h>

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* o) { *o << '"' << s.toStdString() << '"'; }

using namespace kiro;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TProtokollFaenger;

namespace {

// Script entries built in code: the reading of "DateiInfo" has its own tests.
TScriptDateiInfo& Eintrag(TScript& s, std::uint8_t Art, const QString& Name, const QString& VersionAlt = {}) {
  auto e = std::make_unique<TScriptDateiInfo>();
  e->DateiArt = Art;
  e->Datei.Dateiname = Name;
  e->VersionAlt = VersionAlt;
  TScriptDateiInfo& r = *e;
  s.Kommandos.push_back(std::move(e));
  return r;
}

void Loeschbefehl(TScript& s, const QString& Name) {
  auto l = std::make_unique<TScriptLoeschen>();
  l->Datei.Dateiname = Name;
  s.Kommandos.push_back(std::move(l));
}

TUpdateDatei& Zeile(const QString& Datei) {
  for (TUpdateDatei& r : UpdateDateien)
    if (r.Datei == Datei) return r;
  throw std::logic_error("no such row");
}

// The tree as lines: a root "caption [image]", a child "  text [image] #entry index".
QStringList Baumzeilen(const QTreeWidget& Baum) {
  QStringList z;
  const auto bild = [](const QTreeWidgetItem* k) { return k->data(0, TBaumAnsichtQt::BildRolle).toInt(); };
  for (int i = 0; i < Baum.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* w = Baum.topLevelItem(i);
    z << QStringLiteral("%1 [%2]").arg(w->text(0)).arg(bild(w));
    for (int j = 0; j < w->childCount(); ++j) {
      const QTreeWidgetItem* k = w->child(j);
      z << QStringLiteral("  %1 [%2] #%3").arg(k->text(0)).arg(bild(k)).arg(k->data(0, TBaumAnsichtQt::DatenRolle).toInt());
    }
  }
  return z;
}

bool AllesAufgeklappt(const QTreeWidget& Baum) {
  for (int i = 0; i < Baum.topLevelItemCount(); ++i)
    if (Baum.topLevelItem(i)->childCount() > 0 && !Baum.topLevelItem(i)->isExpanded()) return false;
  return true;
}

class TWarnseitenSchreiber : public IWarnseite {
 public:
  QStringList Seiten;
  void Zeigen(const QString& Adresse) override { Seiten << Adresse; }
};

class TZeilenSchreiber : public IProtokollAnsicht {
 public:
  QStringList Zeilen;
  void Grundzustand() override {}
  void Fehler() override {}
  void NeuesThema() override {}
  void Eintrag(const QString& Text) override { Zeilen << Text; }
  void Eintrag(const QString& Text, TZeilenFarbe) override { Zeilen << Text; }
};

// The fixture installation below the three global folders, fixed system facts (64 bit, no
// administrator, no Windows version), the built-in texts, and the program-file list's CRCs put
// back afterwards.
class Analyse : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    PeOrdner = std::make_unique<test::TempOrdner>();
    PeFehler.clear();
    test::PeProgrammBauen(*PeOrdner / QStringLiteral("KiroSim.exe"), 3, 5, 7, 0, &PeFehler);
  }
  static void TearDownTestSuite() { PeOrdner.reset(); }

  void SetUp() override {
    ASSERT_TRUE(PeFehler.isEmpty()) << PeFehler.toStdString();
    platform::SystemdatenSetzen(&System);
    AltListe = UpdateDateien;
    SprachtabelleErzeugen()->Laden();
    QDir().mkpath(Umgebung.Ordner / QStringLiteral("programm"));
    ASSERT_TRUE(QFile::copy(*PeOrdner / QStringLiteral("KiroSim.exe"), Programm(QStringLiteral("KiroSim.exe"))));
    // Program files without version information: one the list knows by its CRC, one it does not.
    Umgebung.Ordner.Schreiben(QStringLiteral("programm/KiroKern.dll"), "kern");
    Umgebung.Ordner.Schreiben(QStringLiteral("programm/KiroNetz.dll"), "netz");
    Zeile(QStringLiteral("KiroKern.dll")).Hashwert = 0xCAFE0001;
    Umgebung.Daten(QStringLiteral("Profil.xml"), "<Profil/>");
    Umgebung.Offiziell(QStringLiteral("Strecken/Nord.st3"), "nord");
  }
  void TearDown() override {
    UpdateDateien = AltListe;
    platform::SystemdatenSetzen(nullptr);
    platform::RegistrierungSetzen(nullptr);
  }

  QString Programm(const QString& Name) const { return Umgebung.Ordner / (QStringLiteral("programm/") + Name); }

  // What is installed: add-on level 2.0, one accessory.
  void LokalFuellen() {
    Eintrag(Lokal, 2, QStringLiteral("AddOn_1.7z")).Version = QStringLiteral("1.0");
    Eintrag(Lokal, 2, QStringLiteral("AddOn_2.7z")).Version = QStringLiteral("2.0");
    Eintrag(Lokal, 3, QStringLiteral("Zubehoer_Fahrzeuge.7z")).Version = QStringLiteral("1.0");
  }

  // What the server offers; the comments give each entry's index.
  void AngebotFuellen() {
    Eintrag(Angebot, 1, QStringLiteral("upd\\Update_KiroSim_exe_3.5.8.7z"), QStringLiteral("3.5.7.0")).Groesse = 3072;  // 0
    Eintrag(Angebot, 1, QStringLiteral("Update_KiroSim_exe_3.5.6.7z"), QStringLiteral("3.5.5.0"));                   // 1
    TScriptDateiInfo& kern = Eintrag(Angebot, 1, QStringLiteral("Update_KiroKern_dll.7z"), QStringLiteral("9.9"));  // 2
    kern.Hashwert = 0xCAFE0001;
    kern.AdminNoetig = true;
    Eintrag(Angebot, 1, QStringLiteral("Update_KiroNetz_dll.7z"), QStringLiteral("1.0"));       // 3
    Eintrag(Angebot, 1, QStringLiteral("Update_KiroAuswertung_exe.7z"), QStringLiteral("1.0"));  // 4 (not installed)
    Loeschbefehl(Angebot, QStringLiteral("alt.txt"));                                             // 5
    Eintrag(Angebot, 2, QStringLiteral("AddOn_3.7z"), QStringLiteral("2.0")).Groesse = 1000;     // 6
    Eintrag(Angebot, 2, QStringLiteral("AddOn_2b.7z"), QStringLiteral("1.0"));                   // 7
    Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Strecke.7z"), QStringLiteral("3.5")).Dateibedingung =
        QStringLiteral("INST\\kirosim.EXE");  // 8
    Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Neu.7z"), QStringLiteral("3.6")).Dateibedingung =
        QStringLiteral("inst\\KiroSim.exe");  // 9: too old
    Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Fahrzeuge.7z")).Dateibedingung = QStringLiteral("inst\\KiroSim.exe");  // 10
    Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Profil.7z")).Dateibedingung = QStringLiteral("owndata\\Profil.xml");   // 11
    Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Nord.7z")).Dateibedingung = QStringLiteral("data\\strecken\\NORD.st3");  // 12
    Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Ohne.7z"));                                                             // 13
    Eintrag(Angebot, 4, QStringLiteral("Beta_KiroSim_exe_3.6.7z"), QStringLiteral("3.5.7.0"));                          // 14
    Eintrag(Angebot, 4, QStringLiteral("Beta_KiroSim_exe_3.4.7z"), QStringLiteral("3.3.0.0"));                          // 15
    Eintrag(Angebot, 0, QStringLiteral("Update_KiroSim_exe_Art0.7z"), QStringLiteral("3.5.7.0"));                       // 16
  }

  QStringList Fuellen(bool NurSinnvolle, bool Betas, IWarnseite* Warnseite = nullptr) {
    QTreeWidget baum;
    TBaumAnsichtQt ansicht(baum);
    Angebot.TreeViewFuellen(ansicht, NurSinnvolle, Betas, Lokal, Warnseite);
    EXPECT_TRUE(AllesAufgeklappt(baum));
    return Baumzeilen(baum);
  }

  static inline std::unique_ptr<test::TempOrdner> PeOrdner;
  static inline QString PeFehler;
  TOrdnerUmgebung Umgebung;
  platform::TFesteSystemdaten System;
  std::array<TUpdateDatei, 81> AltListe;
  TScript Lokal;
  TScript Angebot;
};

TEST_F(Analyse, VierAnzahlen) {
  LokalFuellen();
  AngebotFuellen();
  int upd = -1, add = -1, beta = -1, zub = -1;
  EXPECT_TRUE(Angebot.AnzahlInstallierbar(upd, add, beta, zub, Lokal));
  // Updates: KiroSim by its version, KiroKern by the list's CRC; add-on 3 on level 2.0; the
  // accessories whose condition file is there (by any letter case) in a sufficient version.
  EXPECT_EQ(upd, 2);
  EXPECT_EQ(add, 1);
  EXPECT_EQ(beta, 1);
  EXPECT_EQ(zub, 3);

  TScript leer;
  EXPECT_FALSE(leer.AnzahlInstallierbar(upd, add, beta, zub, Lokal));
  EXPECT_EQ(upd + add + beta + zub, 0);
}

TEST_F(Analyse, BaumNurSinnvolleMitBetas) {
  LokalFuellen();
  AngebotFuellen();
  EXPECT_EQ(Fuellen(true, true), (QStringList{
                                     QStringLiteral("Updates [0]"),
                                     QStringLiteral("  Update_KiroSim_exe_3.5.8.7z  (3 KB) [2] #0"),
                                     QStringLiteral("  Update_KiroKern_dll.7z [3] #2"),
                                     QStringLiteral("  Update_KiroNetz_dll.7z [4] #3"),
                                     QStringLiteral("Add-Ons [0]"),
                                     QStringLiteral("  AddOn_3.7z  (1000 bytes) [2] #6"),
                                     QStringLiteral("Weiteres Zubehör [0]"),
                                     QStringLiteral("  Zubehoer_Strecke.7z [2] #8"),
                                     QStringLiteral("  Zubehoer_Profil.7z [2] #11"),
                                     QStringLiteral("  Zubehoer_Nord.7z [2] #12"),
                                     QStringLiteral("Beta [0]"),
                                     QStringLiteral("  Beta_KiroSim_exe_3.6.7z [2] #14"),
                                 }));
}

TEST_F(Analyse, BaumAlleOhneBetas) {
  LokalFuellen();
  AngebotFuellen();
  System.Administrator = true;
  EXPECT_EQ(Fuellen(false, false), (QStringList{
                                       QStringLiteral("Updates [0]"),
                                       QStringLiteral("  Update_KiroSim_exe_3.5.8.7z  (3 KB) [2] #0"),
                                       QStringLiteral("  Update_KiroSim_exe_3.5.6.7z [1] #1"),
                                       QStringLiteral("  Update_KiroKern_dll.7z [2] #2"),
                                       QStringLiteral("  Update_KiroNetz_dll.7z [4] #3"),
                                       QStringLiteral("  Update_KiroAuswertung_exe.7z [4] #4"),
                                       QStringLiteral("Add-Ons [0]"),
                                       QStringLiteral("  AddOn_3.7z  (1000 bytes) [2] #6"),
                                       QStringLiteral("  AddOn_2b.7z [1] #7"),
                                       QStringLiteral("Weiteres Zubehör [0]"),
                                       QStringLiteral("  Zubehoer_Strecke.7z [2] #8"),
                                       QStringLiteral("  Zubehoer_Neu.7z [1] #9"),
                                       QStringLiteral("  Zubehoer_Fahrzeuge.7z [1] #10"),
                                       QStringLiteral("  Zubehoer_Profil.7z [2] #11"),
                                       QStringLiteral("  Zubehoer_Nord.7z [2] #12"),
                                       QStringLiteral("  Zubehoer_Ohne.7z [1] #13"),
                                   }));
}

TEST_F(Analyse, LeeresScriptUndVorhandeneWurzeln) {
  QTreeWidget baum;
  baum.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("Vorher")}));
  TBaumAnsichtQt ansicht(baum);
  Angebot.TreeViewFuellen(ansicht, true, false, Lokal, nullptr);
  EXPECT_EQ(Baumzeilen(baum), (QStringList{QStringLiteral("Updates [0]"), QStringLiteral("Add-Ons [0]"),
                                           QStringLiteral("Weiteres Zubehör [0]"), QStringLiteral("Vorher [0]")}));

  // Texts come from the catalogue: a language file's text wins, a missing key gives "".
  Sprachtabelle->Leeren();
  Sprachtabelle->Geladen = true;
  QTreeWidget ohneTexte;
  TBaumAnsichtQt ansicht2(ohneTexte);
  Angebot.TreeViewFuellen(ansicht2, true, true, Lokal, nullptr);
  EXPECT_EQ(Baumzeilen(ohneTexte), QStringList(4, QStringLiteral(" [0]")));
  Sprachtabelle->Laden();
}

TEST_F(Analyse, AddOnStufeOhneLokaleAddOns) {
  // Without add-ons installed the level is "": add-ons with no old version apply.
  Eintrag(Angebot, 2, QStringLiteral("AddOn_1.7z"));
  Eintrag(Angebot, 2, QStringLiteral("AddOn_2.7z"), QStringLiteral("1.0"));
  int upd, add, beta, zub;
  Angebot.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
  EXPECT_EQ(add, 1);
  EXPECT_EQ(Fuellen(true, false).mid(1, 2), (QStringList{QStringLiteral("Add-Ons [0]"), QStringLiteral("  AddOn_1.7z [2] #0")}));
}

TEST_F(Analyse, MarkeImPaketnamen) {
  struct Fall {
    const char* Name;
    bool Passt;
  };
  for (const Fall& f : {Fall{"Update_KiroSim_exe_2.7z", true}, Fall{"kirosim_exe.zip", true},
                        Fall{"sub\\KIROSIM_EXE", true}, Fall{"KiroSim.exe.zip", false}, Fall{"KiroSim.exe", false},
                        Fall{"Update_setup_exe.7z", false}}) {
    SCOPED_TRACE(f.Name);
    TScript s;
    Eintrag(s, 1, QString::fromLatin1(f.Name), QStringLiteral("3.5.7.0"));
    int upd, add, beta, zub;
    s.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
    EXPECT_EQ(upd, f.Passt ? 1 : 0);
  }
  // A row outside the updated set never counts, even when its file is there and its CRC matches.
  Umgebung.Ordner.Schreiben(QStringLiteral("programm/setup.exe"), "setup");
  Zeile(QStringLiteral("setup.exe")).Hashwert = 7;
  TScript s;
  Eintrag(s, 1, QStringLiteral("Update_setup_exe.7z")).Hashwert = 7;
  int upd, add, beta, zub;
  s.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
  EXPECT_EQ(upd, 0);
}

TEST_F(Analyse, VersionOderCrcDesProgramms) {
  struct Fall {
    const char* Name;
    const char* VersionAlt;
    std::uint32_t Hashwert;
    bool Passt;
  };
  // KiroSim has a version: the CRC plays no part. KiroKern has none: only the list's CRC decides.
  const Fall faelle[] = {
      {"Update_KiroSim_exe.7z", "3.5.7.0", 0, true},    {"Update_KiroSim_exe.7z", "3.5.7", 0, false},
      {"Update_KiroSim_exe.7z", "", 0, false},          {"Update_KiroSim_exe.7z", "3.5.6.0", 0xCAFE0001, false},
      {"Update_KiroKern_dll.7z", "", 0xCAFE0001, true}, {"Update_KiroKern_dll.7z", "", 0xCAFE0002, false},
      {"Update_KiroNetz_dll.7z", "", 0, false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(std::string(f.Name) + " " + f.VersionAlt);
    TScript s;
    Eintrag(s, 4, QString::fromLatin1(f.Name), QString::fromLatin1(f.VersionAlt)).Hashwert = f.Hashwert;
    int upd, add, beta, zub;
    s.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
    EXPECT_EQ(beta, f.Passt ? 1 : 0);
  }
}

TEST_F(Analyse, WindowsVersionUndBitbreite) {
  struct Fall {
    const char* Name;
    const char* Windows;  // the system's version; "" as on this system
    bool Bit64;
    const char* MinWindows;
    const char* MaxWindows;
    bool Nur32, Nur64;
    bool Gezeigt;
  };
  const Fall faelle[] = {
      {"ohne Windows Min", "", true, "99.0", "", false, false, true},
      {"ohne Windows Max", "", true, "", "1.0", false, false, true},
      {"Min erfuellt", "10.0.19045", true, "6.1", "", false, false, true},
      {"Min nicht erfuellt", "6.1.7601", true, "10.0", "", false, false, false},
      {"Max erfuellt", "6.1.7601", true, "", "6.1.7601", false, false, true},
      {"Max nicht erfuellt", "10.0.19045", true, "", "6.3", false, false, false},
      {"32 Bit auf 64", "", true, "", "", true, false, false},
      {"32 Bit auf 32", "", false, "", "", true, false, true},
      {"64 Bit auf 32", "", false, "", "", false, true, false},
      {"64 Bit auf 64", "", true, "", "", false, true, true},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Name);
    System.WindowsNummer = QString::fromLatin1(f.Windows);
    System.Bit64 = f.Bit64;
    TScript s;
    TScriptDateiInfo& e = Eintrag(s, 1, QStringLiteral("Update_KiroSim_exe.7z"), QStringLiteral("3.5.7.0"));
    e.MinWindows = QString::fromLatin1(f.MinWindows);
    e.MaxWindows = QString::fromLatin1(f.MaxWindows);
    e.Win32bit = f.Nur32;
    e.Win64bit = f.Nur64;
    for (bool nurSinnvolle : {true, false}) {
      QTreeWidget baum;
      TBaumAnsichtQt ansicht(baum);
      s.TreeViewFuellen(ansicht, nurSinnvolle, false, Lokal, nullptr);
      EXPECT_EQ(baum.topLevelItem(0)->childCount(), f.Gezeigt ? 1 : 0);
    }
    // Counting applies no system condition.
    int upd, add, beta, zub;
    s.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
    EXPECT_EQ(upd, 1);
  }
}

TEST_F(Analyse, AdministratorBildAuchBeiAddOnsUndZubehoer) {
  Eintrag(Angebot, 2, QStringLiteral("AddOn.7z")).AdminNoetig = true;
  TScriptDateiInfo& z = Eintrag(Angebot, 3, QStringLiteral("Zubehoer.7z"));
  z.Dateibedingung = QStringLiteral("inst\\KiroSim.exe");
  z.AdminNoetig = true;
  Eintrag(Angebot, 3, QStringLiteral("Zubehoer_Nicht.7z")).AdminNoetig = true;
  for (bool admin : {false, true}) {
    System.Administrator = admin;
    const QString b = admin ? QStringLiteral("2") : QStringLiteral("3");
    EXPECT_EQ(Fuellen(false, false).mid(1), (QStringList{QStringLiteral("Add-Ons [0]"),
                                                        QStringLiteral("  AddOn.7z [%1] #0").arg(b),
                                                        QStringLiteral("Weiteres Zubehör [0]"),
                                                        QStringLiteral("  Zubehoer.7z [%1] #1").arg(b),
                                                        QStringLiteral("  Zubehoer_Nicht.7z [1] #2")}));
  }
}

TEST_F(Analyse, BedingungsdateiNieAusserhalbIhresOrdners) {
  // A file beside the program folder that ".." would reach, and one by absolute path.
  Umgebung.Ordner.Schreiben(QStringLiteral("draussen.exe"), "x");
  for (const QString& b : {QStringLiteral("inst\\..\\draussen.exe"), QStringLiteral("inst\\") + Umgebung.Ordner.Pfad() +
                                                                         QStringLiteral("draussen.exe"),
                           Umgebung.Ordner.Pfad() + QStringLiteral("draussen.exe"), QStringLiteral("inst\\"),
                           QStringLiteral("prog\\KiroSim.exe"), QStringLiteral("instKiroSim.exe")}) {
    SCOPED_TRACE(b.toStdString());
    TScript s;
    Eintrag(s, 3, QStringLiteral("Zubehoer.7z")).Dateibedingung = b;
    int upd, add, beta, zub;
    s.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
    EXPECT_EQ(zub, 0);
  }
  // The same file by a name that stays inside counts.
  TScript s;
  Eintrag(s, 3, QStringLiteral("Zubehoer.7z")).Dateibedingung = QStringLiteral("inst/kirosim.exe");
  int upd, add, beta, zub;
  s.AnzahlInstallierbar(upd, add, beta, zub, Lokal);
  EXPECT_EQ(zub, 1);
}

// Registry conditions against a Wine prefix written by the test.
class Registerbedingung : public Analyse {
 protected:
  void SetUp() override {
    Analyse::SetUp();
    Umgebung.Ordner.Schreiben(QStringLiteral("wine/system.reg"),
                              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                              "[Software\\\\Microsoft\\\\DirectX] 1733820000\n\"Version\"=\"4.09.00.0904\"\n"
                              "\"Zahl\"=dword:00000001\n\n"
                              "[Software\\\\Classes\\\\.kiro] 1733820000\n@=\"5.0\"\n");
    Umgebung.Ordner.Schreiben(QStringLiteral("wine/user.reg"),
                              "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                              "[Software\\\\Kiro\\\\Simulator] 1733820000\n@=\"3.5.7.0\"\n");
    Reg = std::make_unique<platform::TWineRegistrierung>(Umgebung.Ordner / QStringLiteral("wine"));
    platform::RegistrierungSetzen(Reg.get());
  }
  // An update that applies but for its registry conditions.
  TScriptDateiInfo& Update(TScript& s, const QString& Wert, const QString& Version = {}) {
    TScriptDateiInfo& e = Eintrag(s, 1, QStringLiteral("Update_KiroSim_exe.7z"), QStringLiteral("3.5.7.0"));
    e.MinRegWert = Wert;
    e.MinRegVersion = Version;
    return e;
  }
  std::unique_ptr<platform::TWineRegistrierung> Reg;
};

TEST_F(Registerbedingung, WurzelnUndWerte) {
  struct Fall {
    const char* Wert;
    const char* Version;
    bool Erfuellt;
  };
  const Fall faelle[] = {
      {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Version", "", true},
      {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Version", "4.9", true},
      {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Version", "4.10", false},
      {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Fehlt", "", false},
      {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Fehlt\\Version", "", false},
      {"HKEY_CLASSES_ROOT\\.kiro\\", "5.0", true},
      {"HKEY_CURRENT_USER\\Software\\Kiro\\Simulator\\", "3.5", true},
      // Any other root name, a wrong letter case included, reads the current user's keys.
      {"HKCU\\Software\\Kiro\\Simulator\\", "", true},
      {"hkey_current_user\\Software\\Kiro\\Simulator\\", "", true},
      {"hkey_local_machine\\Software\\Microsoft\\DirectX\\Version", "", false},
      {"HKEY_USERS\\Software\\Kiro\\Simulator\\", "", false},
      {"HKEY_PERFORMANCE_DATA\\Software\\Kiro\\Simulator\\", "", false},
      {"HKEY_CURRENT_CONFIG\\Software\\Kiro\\Simulator\\", "", false},
      {"HKEY_DYN_DATA\\Software\\Kiro\\Simulator\\", "", false},
      {"OhneSchluessel", "", false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Wert);
    TScript s;
    Update(s, QString::fromLatin1(f.Wert), QString::fromLatin1(f.Version));
    QTreeWidget baum;
    TBaumAnsichtQt ansicht(baum);
    s.TreeViewFuellen(ansicht, false, false, Lokal, nullptr);
    EXPECT_EQ(baum.topLevelItem(0)->childCount(), f.Erfuellt ? 1 : 0);
  }
}

TEST_F(Registerbedingung, HoechstensEineWarnseite) {
  const QString fehlt = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Fehlt\\Wert");
  const QString da = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Version");
  Update(Angebot, fehlt).URLWarnung = QStringLiteral("http://127.0.0.1/eins");
  Update(Angebot, fehlt).URLWarnung = QStringLiteral("http://127.0.0.1/zwei");
  TWarnseitenSchreiber seite;
  EXPECT_EQ(Fuellen(false, false, &seite).mid(0, 2), (QStringList{QStringLiteral("Updates [0]"), QStringLiteral("Add-Ons [0]")}));
  EXPECT_EQ(seite.Seiten, QStringList{QStringLiteral("http://127.0.0.1/eins")});
  // Without a page the entries are still left out.
  EXPECT_EQ(Fuellen(false, false, nullptr).mid(0, 2), (QStringList{QStringLiteral("Updates [0]"), QStringLiteral("Add-Ons [0]")}));

  struct Fall {
    const char* Name;
    const char* Zweiter;  // second condition
    const char* Url;
    const char* Url2;
    const char* Seite;  // "": none
  };
  const Fall faelle[] = {
      {"zweite mit eigener Seite", "HKEY_CURRENT_USER\\Fehlt\\x", "http://h/1", "http://h/2", "http://h/2"},
      {"zweite ohne eigene Seite", "HKEY_CURRENT_USER\\Fehlt\\x", "http://h/1", "", "http://h/1"},
      {"zweite erfuellt", "HKEY_CURRENT_USER\\Software\\Kiro\\Simulator\\", "http://h/1", "http://h/2", ""},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Name);
    TScript s;
    TScriptDateiInfo& e = Update(s, da);
    e.MinRegWert2 = QString::fromLatin1(f.Zweiter);
    e.URLWarnung = QString::fromLatin1(f.Url);
    e.URLWarnung2 = QString::fromLatin1(f.Url2);
    TWarnseitenSchreiber w;
    QTreeWidget baum;
    TBaumAnsichtQt ansicht(baum);
    s.TreeViewFuellen(ansicht, false, false, Lokal, &w);
    const QString erwartet = QString::fromLatin1(f.Seite);
    EXPECT_EQ(w.Seiten, erwartet.isEmpty() ? QStringList() : QStringList{erwartet});
    EXPECT_EQ(baum.topLevelItem(0)->childCount(), erwartet.isEmpty() ? 1 : 0);
  }
}

TEST_F(Registerbedingung, UnlesbarerWertFehltMitEinerZeile) {
  TProtokollFaenger log;
  Update(Angebot, QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Zahl"));
  Update(Angebot, QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Version"));
  Eintrag(Angebot, 2, QStringLiteral("AddOn.7z"));
  EXPECT_EQ(Fuellen(false, false), (QStringList{QStringLiteral("Updates [0]"),
                                                QStringLiteral("  Update_KiroSim_exe.7z [2] #1"),
                                                QStringLiteral("Add-Ons [0]"), QStringLiteral("  AddOn.7z [2] #2"),
                                                QStringLiteral("Weiteres Zubehör [0]")}));
  EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral(
                              "2 Registrierungswert \"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\DirectX\\Zahl\" ist kein "
                              "Text (dword)")});
}

TEST_F(Analyse, KnotenUeberlebenDasScript) {
  QTreeWidget baum;
  {
    TScript s;
    Eintrag(s, 2, QStringLiteral("AddOn.7z"));
    TBaumAnsichtQt ansicht(baum);
    s.TreeViewFuellen(ansicht, true, false, Lokal, nullptr);
  }
  // The node holds the entry's index, nothing that pointed into the freed script.
  EXPECT_EQ(baum.topLevelItem(1)->child(0)->data(0, TBaumAnsichtQt::DatenRolle), QVariant(0));
}

TEST_F(Analyse, InstVersionsinfoLetzteWerteEinzeln) {
  TScriptDateiInfo& a = Eintrag(Lokal, 3, QStringLiteral("data\\Zub.7z"), QStringLiteral("1.0"));
  a.Version = QStringLiteral("2.0");
  a.Hashwert = 11;
  Eintrag(Lokal, 3, QStringLiteral("DATA\\zub.7z"), QStringLiteral("1.5")).Version = QStringLiteral("3.0");
  Eintrag(Lokal, 3, QStringLiteral("data\\Zub.7z"));
  Eintrag(Lokal, 2, QStringLiteral("data\\Zub.7z"), QStringLiteral("9")).Version = QStringLiteral("9");
  Eintrag(Lokal, 3, QStringLiteral("Anderes.7z")).Hashwert = 99;
  QString alt;
  std::uint32_t crc = 1;
  EXPECT_EQ(Lokal.InstVersionsinfo(QStringLiteral("data\\ZUB.7z"), 3, alt, crc), QStringLiteral("3.0"));
  EXPECT_EQ(alt, QStringLiteral("1.5"));
  EXPECT_EQ(crc, 11u);
  EXPECT_EQ(Lokal.InstVersionsinfo(QString(), 3, alt, crc), QStringLiteral("3.0"));
  EXPECT_EQ(crc, 99u);
  EXPECT_EQ(Lokal.InstVersionsinfo(QStringLiteral("Zub.7z"), 3, alt, crc), QString());
  EXPECT_EQ(alt, QString());
  EXPECT_EQ(crc, 0u);
}

TEST_F(Analyse, VersionsinfoZeilen) {
  const QLocale altesGebiet;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TScriptDateiInfo& a = Eintrag(Angebot, 1, QStringLiteral("upd\\A.7z"));
  a.Version = QStringLiteral("3.5.8.0");
  a.Datum = TDateTime::AusQDateTime(QDateTime(QDate(2026, 12, 10), QTime(14, 5, 7)));
  Loeschbefehl(Angebot, QStringLiteral("x"));
  TScriptDateiInfo& b = Eintrag(Angebot, 7, QStringLiteral("B.7z"));
  b.Datum = TDateTime::AusDatum(QDate(2025, 1, 2));
  TZeilenSchreiber ansicht;
  Angebot.Versionsinfo(ansicht);
  QLocale::setDefault(altesGebiet);
  EXPECT_EQ(ansicht.Zeilen, (QStringList{QStringLiteral("10.12.26 14:05:07: 3.5.8.0,  upd\\A.7z"),
                                        QStringLiteral("02.01.25: ,  B.7z")}));
}

TEST_F(Analyse, DateinameVorhanden) {
  Eintrag(Lokal, 1, QStringLiteral("data\\a\\Teil.7z")).Hashwert = 5;
  Eintrag(Lokal, 1, QStringLiteral("data\\b\\teil.7z")).Hashwert = 6;
  Eintrag(Lokal, 1, QStringLiteral("Ohne.7z"));
  struct Fall {
    const char* Name;
    bool MitPfad;
    std::uint32_t Hashwert;
    std::uint8_t Ergebnis;
    std::uint32_t ScriptHashwert;
  };
  const Fall faelle[] = {
      {"data\\a\\TEIL.7z", true, 5, 1, 5},  {"data\\a\\Teil.7z", true, 6, 2, 5},
      {"data\\b\\Teil.7z", true, 6, 1, 6},  {"data\\b\\Teil.7z", true, 0, 1, 6},
      {"anders\\teil.7z", false, 6, 2, 5},  {"teil.7z", false, 5, 1, 5},
      {"teil.7z", true, 5, 0, 0},           {"Fehlt.7z", false, 0, 0, 0},
      {"Ohne.7z", true, 8, 2, 0},           {"Ohne.7z", true, 0, 1, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Name);
    std::uint32_t sh = 77;
    EXPECT_EQ(Lokal.DateinameVorhanden(QString::fromLatin1(f.Name), f.MitPfad, f.Hashwert, sh), f.Ergebnis);
    EXPECT_EQ(sh, f.ScriptHashwert);
  }
}

TEST_F(Analyse, DateiInfoErgaenzen) {
  const QString a = Umgebung.Ordner.Schreiben(QStringLiteral("neu/Teil.7z"), "inhalt");
  const QString gleich = Umgebung.Ordner.Schreiben(QStringLiteral("neu/Kopie.7z"), "inhalt");
  const QString anders = Umgebung.Ordner.Schreiben(QStringLiteral("neu2/TEIL.7z"), "anders");
  std::int32_t groesse = 0;
  const std::uint32_t crc = DateiCRC32(a, groesse);

  const QDateTime vorher = QDateTime::currentDateTime().addSecs(-1);
  ASSERT_TRUE(Lokal.DateiInfoErgaenzen(a, QStringLiteral("1.2"), 3));
  ASSERT_EQ(Lokal.Kommandos.size(), 1u);
  const auto* e = dynamic_cast<TScriptDateiInfo*>(Lokal.Kommandos[0].get());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Datei.Dateiname, QStringLiteral("Teil.7z"));
  EXPECT_EQ(e->Version, QStringLiteral("1.2"));
  EXPECT_EQ(e->DateiArt, 3);
  EXPECT_EQ(e->Hashwert, crc);
  EXPECT_EQ(e->Groesse, 6);
  EXPECT_GE(e->Datum.AlsQDateTime(), vorher);
  EXPECT_LE(e->Datum.AlsQDateTime(), QDateTime::currentDateTime().addSecs(1));

  // The same file again: the earlier entry stays, the list is as before.
  EXPECT_TRUE(Lokal.DateiInfoErgaenzen(a, QStringLiteral("1.3"), 1));
  EXPECT_EQ(Lokal.Kommandos.size(), 1u);
  // Same content under another name, and the same name with other content: both are kept.
  EXPECT_TRUE(Lokal.DateiInfoErgaenzen(gleich, QString(), 3));
  EXPECT_TRUE(Lokal.DateiInfoErgaenzen(anders, QString(), 3));
  EXPECT_EQ(Lokal.Kommandos.size(), 3u);

  // A file that cannot be read is refused with one line; nothing is added or removed.
  TProtokollFaenger log;
  EXPECT_FALSE(Lokal.DateiInfoErgaenzen(Umgebung.Ordner / QStringLiteral("fehlt.7z"), QString(), 3));
  EXPECT_FALSE(Lokal.DateiInfoErgaenzen(Umgebung.Ordner / QStringLiteral("neu"), QString(), 3));
  EXPECT_EQ(log.Zeilen().size(), 2);
  EXPECT_EQ(Lokal.Kommandos.size(), 3u);
}

// The size field holds 32 signed bits: a larger file is recorded with size unknown (0) and one
// line, never with a wrapped size. Sparse files: no disk space is needed.
TEST_F(Analyse, DateiInfoErgaenzenGrosseDatei) {
  const struct {
    qint64 Bytes;
    std::int32_t Groesse;
    int Zeilen;
  } faelle[] = {{(qint64{1} << 31) - 1, INT32_MAX, 0}, {qint64{3} << 30, 0, 1}, {qint64{5} << 30, 0, 1}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Bytes);
    const QString pfad = Umgebung.Ordner / QStringLiteral("gross/Riesig.7z");
    QDir().mkpath(Umgebung.Ordner / QStringLiteral("gross"));
    QFile datei(pfad);
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_TRUE(datei.resize(f.Bytes));
    datei.close();
    TScript lokal;
    TProtokollFaenger log;
    ASSERT_TRUE(lokal.DateiInfoErgaenzen(pfad, QStringLiteral("1.0"), 3));
    const auto* e = dynamic_cast<TScriptDateiInfo*>(lokal.Kommandos.at(0).get());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Groesse, f.Groesse);
    const QStringList zeilen = log.Zeilen();
    ASSERT_EQ(zeilen.size(), f.Zeilen);
    if (f.Zeilen) {
      EXPECT_EQ(zeilen[0], QStringLiteral("5 Datei \"%1\" ist %2 Bytes groß, als Größe unbekannt (0) aufgenommen")
                               .arg(pfad)
                               .arg(f.Bytes));
    }
    QFile::remove(pfad);
  }
}

TEST_F(Analyse, DateiInfoErgaenzenRaeumtVorhandeneDoppelAuf) {
  Eintrag(Lokal, 1, QStringLiteral("X.7z")).Hashwert = 1;
  Loeschbefehl(Lokal, QStringLiteral("X.7z"));
  Eintrag(Lokal, 2, QStringLiteral("x.7Z")).Hashwert = 1;   // repeats the first: removed
  Eintrag(Lokal, 1, QStringLiteral("Y.7z"));                // CRC 0
  Eintrag(Lokal, 1, QStringLiteral("Y.7z"));                // repeats it: removed
  Eintrag(Lokal, 1, QStringLiteral("Z.7z")).Hashwert = 1;   // same CRC, other name: kept
  const QString neu = Umgebung.Ordner.Schreiben(QStringLiteral("W.7z"), "w");
  ASSERT_TRUE(Lokal.DateiInfoErgaenzen(neu, QString(), 1));
  QStringList namen;
  for (const auto& k : Lokal.Kommandos)
    namen << (dynamic_cast<TScriptDateiInfo*>(k.get()) ? QStringLiteral("D ") : QStringLiteral("L ")) +
                 static_cast<TScriptEineDatei*>(k.get())->Datei.Dateiname;
  EXPECT_EQ(namen, (QStringList{QStringLiteral("D X.7z"), QStringLiteral("L X.7z"), QStringLiteral("D Y.7z"),
                                QStringLiteral("D Z.7z"), QStringLiteral("D W.7z")}));
}

TEST_F(Analyse, NichtImBestand) {
  std::int32_t g = 0;
  const std::uint32_t nord = DateiCRC32(Umgebung.Ordner / QStringLiteral("offiziell/Strecken/Nord.st3"), g);
  Umgebung.Offiziell(QStringLiteral("Leer.txt"), "");
  QDir().mkpath(Umgebung.Ordner / QStringLiteral("offiziell/Ordner.st3"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Umgebung.Ordner / QStringLiteral("offiziell/Rohr.st3")).constData(), 0600), 0);
  Umgebung.Ordner.Schreiben(QStringLiteral("Draussen.st3"), "x");

  Eintrag(Angebot, 1, QStringLiteral("Strecken\\NORD.st3")).Hashwert = nord;   // there, equal
  Eintrag(Angebot, 1, QStringLiteral("Strecken\\Nord.st3")).Hashwert = 1;      // there, differs
  Eintrag(Angebot, 1, QStringLiteral("Strecken\\Sued.st3"));                   // missing, CRC 0
  Eintrag(Angebot, 1, QStringLiteral("Leer.txt"));                            // empty file, CRC 0: equal
  Eintrag(Angebot, 1, QStringLiteral("Ordner.st3"));                          // a folder, CRC 0
  Eintrag(Angebot, 1, QStringLiteral("Rohr.st3"));                            // a FIFO, CRC 0
  Eintrag(Angebot, 1, QStringLiteral("..\\Draussen.st3"));                    // outside the folder
  Loeschbefehl(Angebot, QStringLiteral("Strecken\\Sued2.st3"));
  QStringList nichtDrin{QStringLiteral("vorher")};
  QStringList andere;
  Angebot.NichtImBestand(nichtDrin, andere);
  EXPECT_EQ(nichtDrin, (QStringList{QStringLiteral("vorher"), QStringLiteral("Strecken\\Sued.st3"),
                                    QStringLiteral("Ordner.st3"), QStringLiteral("Rohr.st3"),
                                    QStringLiteral("..\\Draussen.st3")}));
  EXPECT_EQ(andere, QStringList{QStringLiteral("Strecken\\Nord.st3")});
}

}  // namespace
