// The drive format through the window: the question, the device check just before, the log
// lines, and a real FAT32 format of an image file.
#include "support/Fensterumgebung.h"
#include "support/Laufwerksbaum.h"

#include "foundation/Meldung.h"

#include <QFile>
#include <QTimer>

using namespace kiro;
using kiro::test::Fensterumgebung;

namespace {

const QString kFrage = QStringLiteral(
    "Soll das Laufwerk /media/anna/KIRO formatiert werden? Das ist nur nötig, wenn der Stick nicht korrekt "
    "arbeitet. Alle Daten auf dem Datenträger werden dabei gelöscht.");

// Answers the message box and keeps what it was asked; Waehrend runs while the box is open.
class Antwort {
 public:
  explicit Antwort(int Ergebnis) {
    MeldungZeigenHookSetzen([this, Ergebnis](const TMeldungsBox& b) {
      Boxen.push_back(b);
      if (Waehrend) Waehrend();
      return Ergebnis;
    });
  }
  ~Antwort() { MeldungZeigenHookSetzen({}); }
  std::vector<TMeldungsBox> Boxen;
  std::function<void()> Waehrend;
};

// Records its calls and answers from the event loop, as a real format would.
class TFalscherFormatierer : public platform::TFormatierer {
 public:
  struct Aufruf {
    QString Geraet, Einhaengepunkt;
    bool operator==(const Aufruf&) const = default;
  };
  std::vector<Aufruf>* Aufrufe = nullptr;
  bool StartGelingt = true;
  bool Erfolg = true;
  QString Fehler;
  std::function<void()> Waehrend;

  bool Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* F) override {
    Aufrufe->push_back({Geraet, Einhaengepunkt});
    if (!StartGelingt) {
      *F = Fehler;
      return false;
    }
    QTimer::singleShot(0, this, [this] {
      if (Waehrend) Waehrend();
      emit Fertig(Erfolg, Fehler);
    });
    return true;
  }
};

void PrintTo(const TFalscherFormatierer::Aufruf& a, std::ostream* os) {
  *os << '{' << a.Geraet.toStdString() << ", " << a.Einhaengepunkt.toStdString() << '}';
}

class Format : public Fensterumgebung {
 protected:
  Format() {
    Quelle = [this] { return Baum.Liste(); };
    Baum.Einstecken("sdb", 16, "/media/anna/KIRO");
  }

  // A stick edition window with the drive Name selected, so Format is enabled.
  std::unique_ptr<TFormWebInstall> Bereit(const QString& Name = QStringLiteral("/media/anna/KIRO/")) {
    auto f = Fenster(TEdition{false, false, true, false});
    f->show();
    f->ComboBoxQVUSBLaufwerk->setCurrentIndex(f->ComboBoxQVUSBLaufwerk->findText(Name));
    f->OberflaecheAktualisieren();
    EXPECT_TRUE(f->ActionFormatieren->isEnabled());
    return f;
  }
  // The formatter the window asks for: a fake that reports to this test.
  TFalscherFormatierer& Falsch() {
    Formatierer = [this]() -> std::unique_ptr<platform::TFormatierer> {
      ++Erzeugt;
      auto f = std::make_unique<TFalscherFormatierer>();
      f->Aufrufe = &Aufrufe;
      f->StartGelingt = Vorlage.StartGelingt;
      f->Erfolg = Vorlage.Erfolg;
      f->Fehler = Vorlage.Fehler;
      f->Waehrend = Vorlage.Waehrend;
      return f;
    };
    return Vorlage;
  }

  test::Laufwerksbaum Baum;
  TFalscherFormatierer Vorlage;
  std::vector<TFalscherFormatierer::Aufruf> Aufrufe;
  int Erzeugt = 0;
};

TEST_F(Format, NeinStartetNichts) {
  Falsch();
  auto f = Bereit();
  f->ActionEnglish->trigger();  // the question exists in German only
  const int anfragen = Server.Anfragen("/db/servertest.txt");
  Antwort antwort(mrNo);
  f->BitBtnFormatieren->click();
  ASSERT_EQ(antwort.Boxen.size(), 1u);
  const TMeldungsBox& b = antwort.Boxen[0];
  EXPECT_EQ(b.Text, kFrage);
  EXPECT_EQ(b.Typ, TMsgDlgType::mtInformation);
  EXPECT_EQ(b.Knoepfe, unsigned(mbYes | mbNo));
  EXPECT_EQ(b.Vorgabe, unsigned(mbNo)) << "No is the default button";
  EXPECT_EQ(b.Hilfe, 0);
  EXPECT_EQ(Erzeugt, 0);
  EXPECT_TRUE(f->LogZeilen().isEmpty());
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), anfragen) << "nothing at all happens";
}

TEST_F(Format, JaFormatiertDasGeraetUndSchreibtDasErgebnis) {
  struct Fall {
    const char* Sprache;
    bool Erfolg;
    QString Warten, Ende;
  };
  const Fall faelle[] = {
      {"Deutsch", true, "1/2...bitte warten", "1/2...fertig"},
      {"English", true, "1/2...wait please", "1/2...ready"},
      {"Deutsch", false, "1/2...bitte warten", "1/2...Formatieren fehlgeschlagen: mkfs.fat 4.2 (2021-01-31) mkfs.fat: unable to open /dev/sdb1"},
      {"English", false, "1/2...wait please", "1/2...format failed: mkfs.fat 4.2 (2021-01-31) mkfs.fat: unable to open /dev/sdb1"},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(testing::Message() << c.Sprache << " " << c.Erfolg);
    test::Laufwerksbaum baum;
    Quelle = [&] { return baum.Liste(); };
    baum.Einstecken("sdb", 16, "/media/anna/KIRO");
    Aufrufe.clear();
    TFalscherFormatierer& v = Falsch();
    v.Erfolg = c.Erfolg;
    v.Fehler = c.Erfolg ? QString() : QStringLiteral("mkfs.fat 4.2 (2021-01-31)\nmkfs.fat: unable to open /dev/sdb1");
    std::unique_ptr<TFormWebInstall> f = Bereit();
    if (QLatin1String(c.Sprache) == QLatin1String("English")) f->ActionEnglish->trigger();
    QStringList logWaehrend;
    bool gesperrt = false, sprachknoepfeFrei = false;
    v.Waehrend = [&] {
      logWaehrend = f->LogZeilen();
      gesperrt = !f->ActionFormatieren->isEnabled() && !f->ActionInstallieren->isEnabled() &&
                 !f->ComboBoxQVUSBLaufwerk->isEnabled() && !f->RadioGroupInstallationsmodus->isEnabled();
      sprachknoepfeFrei = f->ActionDeutsch->isEnabled() && f->ActionEnglish->isEnabled();
      // A stick that arrives meanwhile gets its line below the waiting one.
      baum.Einstecken("sdc", 32, "/media/anna/ZWEI");
      Beobachter->Pruefen();
    };
    Antwort antwort(mrYes);
    f->ActionFormatieren->trigger();
    EXPECT_EQ(Aufrufe, (std::vector<TFalscherFormatierer::Aufruf>{{"/dev/sdb1", "/media/anna/KIRO/"}}));
    EXPECT_EQ(logWaehrend, QStringList{c.Warten});
    EXPECT_TRUE(gesperrt);
    EXPECT_TRUE(sprachknoepfeFrei);
    ASSERT_EQ(f->LogZeilen().size(), 2);
    EXPECT_EQ(f->LogZeilen()[0], c.Ende) << "the waiting line becomes the result";
    EXPECT_TRUE(f->LogZeilen()[1].contains("/media/anna/ZWEI/"));
    EXPECT_TRUE(f->ActionFormatieren->isEnabled()) << "restored by the refresh at the end";
    EXPECT_TRUE(f->ComboBoxQVUSBLaufwerk->isEnabled());
  }
}

TEST_F(Format, StartOhneErfolgHatSeineEigeneZeile) {
  struct Fall {
    const char* Was;
    bool OhneFormatierer;
    QString Zeile;
  };
  for (const Fall& c : {Fall{"the program does not start", false, "1/2...Formatieren fehlgeschlagen: umount: busy"},
                        Fall{"no formatter at all", true, "1/2...Formatieren fehlgeschlagen: kein Formatierprogramm"}}) {
    SCOPED_TRACE(c.Was);
    TFalscherFormatierer& v = Falsch();
    v.StartGelingt = false;
    v.Fehler = "umount: busy";
    if (c.OhneFormatierer) Formatierer = nullptr;
    auto f = Bereit();
    Antwort antwort(mrYes);
    f->ActionFormatieren->trigger();
    EXPECT_EQ(f->LogZeilen(), QStringList{c.Zeile});
    EXPECT_TRUE(f->ActionFormatieren->isEnabled());
  }
}

// The stick leaves (unmounted, or its partition made anew) and comes back during its own
// format: no arrival line under the waiting line; a different stick is still announced.
TEST_F(Format, WiederkehrDesFormatiertenSticksIstNichtNeu) {
  struct Fall {
    const char* Was;
    std::function<void(test::Laufwerksbaum&)> Waehrend;
    QStringList Log;
  };
  const Fall faelle[] = {
      {"unmounted, then mounted again", [](auto& b) { b.Einhaengen("sdb", ""); }, {"1/2...fertig"}},
      {"gone and back", [](auto& b) { b.Ziehen("sdb"); }, {"1/2...fertig"}},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Was);
    test::Laufwerksbaum baum;
    Quelle = [&] { return baum.Liste(); };
    baum.Einstecken("sdb", 16, "/media/anna/KIRO");
    TFalscherFormatierer& v = Falsch();
    v.Waehrend = [&] {
      c.Waehrend(baum);
      Beobachter->Pruefen();
      baum.Einstecken("sdb", 16, "/media/anna/KIRO3HEIM");
      Beobachter->Pruefen();
    };
    auto f = Bereit();
    Antwort antwort(mrYes);
    f->ActionFormatieren->trigger();
    EXPECT_EQ(f->LogZeilen(), c.Log);
    EXPECT_EQ(f->ComboBoxQVUSBLaufwerk->currentText(), "/media/anna/KIRO3HEIM/") << "the selection follows the stick";
  }
}

// Between the question and the format the stick may go, lose its removable flag, or another
// device may take its mount point; only the device chosen is ever formatted.
TEST_F(Format, KurzVorherWirdDasGeraetGeprueft) {
  struct Fall {
    const char* Was;
    std::function<void(test::Laufwerksbaum&)> Aendern;
    std::vector<TFalscherFormatierer::Aufruf> Aufrufe;
  };
  const Fall faelle[] = {
      {"pulled", [](auto& b) { b.Ziehen("sdb"); }, {}},
      {"no longer removable", [](auto& b) { b.NichtWechselbar("sdb"); }, {}},
      {"another stick at the same mount point",
       [](auto& b) {
         b.Ziehen("sdb");
         b.Einstecken("sdc", 32, "/media/anna/KIRO");
       },
       {}},
      {"unmounted meanwhile: the same device, nothing to unmount", [](auto& b) { b.Einhaengen("sdb", ""); },
       {{"/dev/sdb1", ""}}},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Was);
    test::Laufwerksbaum baum;
    Quelle = [&] { return baum.Liste(); };
    baum.Einstecken("sdb", 16, "/media/anna/KIRO");
    Aufrufe.clear();
    Falsch();
    auto f = Bereit();
    Antwort antwort(mrYes);
    antwort.Waehrend = [&] { c.Aendern(baum); };
    f->ActionFormatieren->trigger();
    EXPECT_EQ(Aufrufe, c.Aufrufe);
    if (c.Aufrufe.empty())
      EXPECT_EQ(f->LogZeilen(), QStringList{"Formatieren fehlgeschlagen: /media/anna/KIRO/ ist kein "
                                            "angeschlossenes Wechsellaufwerk mehr"})
          << "no step began: no step number";
    else
      EXPECT_EQ(f->LogZeilen(), QStringList{"1/2...fertig"});
  }
}

// ---------------------------------------------------------------------------------------------
// The real formatter on an image file that stands in for an unmounted stick.

class EchtesFormatieren : public Fensterumgebung {
 protected:
  void SetUp() override {
    if (!QFile::exists("/usr/sbin/mkfs.fat")) GTEST_SKIP() << "dosfstools is not installed";
    Formatierer = [] { return std::make_unique<platform::TMkfsFormatierer>(); };
  }
  std::unique_ptr<TFormWebInstall> MitGeraet(const QString& Geraet) {
    Quelle = [Geraet] { return QList<platform::TWechsellaufwerk>{{Geraet, Geraet, "7:0", false}}; };
    auto f = Fenster(TEdition{false, false, true, false});
    f->show();
    f->ComboBoxQVUSBLaufwerk->setCurrentIndex(0);
    f->OberflaecheAktualisieren();
    return f;
  }
  test::TempOrdner T;
};

TEST_F(EchtesFormatieren, AbbildWirdFat32MitDerBezeichnung) {
  const QString bild = T / "stick.img";
  {
    QFile d(bild);
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    ASSERT_TRUE(d.resize(64 * 1024 * 1024));
  }
  auto f = MitGeraet(bild);
  int takte = 0;
  QTimer uhr;
  QObject::connect(&uhr, &QTimer::timeout, [&] { ++takte; });
  uhr.start(1);
  Antwort antwort(mrYes);
  f->ActionFormatieren->trigger();
  uhr.stop();
  EXPECT_EQ(f->LogZeilen(), QStringList{"1/2...fertig"});
  EXPECT_GT(takte, 0) << "the window goes on handling events while mkfs.fat runs";
  const QByteArray boot = test::Lesen(bild).left(512);
  ASSERT_EQ(boot.size(), 512);
  EXPECT_EQ(boot.mid(71, 11), QByteArray("KIRO3HEIM  "));
  EXPECT_EQ(boot.mid(82, 8), QByteArray("FAT32   "));
  EXPECT_EQ(quint8(boot[510]), 0x55);
  EXPECT_EQ(quint8(boot[511]), 0xAA);
}

TEST_F(EchtesFormatieren, SchlechtesGeraetGibtDieFehlerzeile) {
  auto f = MitGeraet(T / "gibt-es-nicht");
  f->ActionEnglish->trigger();
  Antwort antwort(mrYes);
  f->ActionFormatieren->trigger();
  ASSERT_EQ(f->LogZeilen().size(), 1);
  EXPECT_TRUE(f->LogZeilen()[0].startsWith("1/2...format failed: ")) << f->LogZeilen()[0].toStdString();
  EXPECT_FALSE(f->LogZeilen()[0].contains("ready"));
}

}  // namespace
