#include "installer/InfoForm.h"

#include "components/LabelQVLink.h"
#include "foundation/Ordner.h"
#include "platform/Systemdaten.h"
#include "support/AufzeichnendeShell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPaintEngine>
#include <QScreen>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

// The product colour and the band's grey as the page shows them.
const QRgb kProdukt = qRgb(83, 130, 172);
const QRgb kBand = qRgb(0xC3, 0xC3, 0xC3);

bool Warten(const std::function<bool()>& Bedingung) {
  QElapsedTimer uhr;
  uhr.start();
  while (!Bedingung() && uhr.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return Bedingung();
}

// A paint device that keeps every text drawn on it with the font it was drawn in.
class TTextAufzeichnung : public QPaintDevice {
 public:
  struct TText {
    QString Text;
    QFont Schrift;
  };
  explicit TTextAufzeichnung(QSize Groesse) : FGroesse(Groesse) {}
  QPaintEngine* paintEngine() const override { return &FMaschine; }
  QList<TText> Texte() const { return FMaschine.Texte; }
  // The font families a text was drawn in, as asked for.
  QStringList Familien(const QString& Text) const {
    for (const TText& t : FMaschine.Texte)
      if (t.Text == Text) return t.Schrift.families();
    return {};
  }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth: return FGroesse.width();
      case PdmHeight: return FGroesse.height();
      case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
      case PdmDepth: return 32;
      case PdmNumColors: return INT_MAX;
      default: return 0;
    }
  }

 private:
  class TMaschine : public QPaintEngine {
   public:
    TMaschine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawTextItem(const QPointF&, const QTextItem& t) override { Texte.append({t.text(), t.font()}); }
    Type type() const override { return QPaintEngine::User; }
    QList<TText> Texte;
  };
  QSize FGroesse;
  mutable TMaschine FMaschine;
};

// The global folders are the host's; every test leaves them as it found them.
class Infofenster : public ::testing::Test {
 protected:
  void SetUp() override {
    FAlt = {Programmverzeichnis, Datenverzeichnis, DatenverzeichnisOffiziell, ProgrammTitel};
    Programmverzeichnis = Datenverzeichnis = DatenverzeichnisOffiziell = ProgrammTitel = QString();
  }
  void TearDown() override {
    Programmverzeichnis = FAlt[0];
    Datenverzeichnis = FAlt[1];
    DatenverzeichnisOffiziell = FAlt[2];
    ProgrammTitel = FAlt[3];
  }
  // Shown at the design width of 800 pixels.
  std::unique_ptr<TFormInfo> Zeigen(std::shared_ptr<test::TAufzeichnendeShell> Shell = nullptr) {
    auto info = std::make_unique<TFormInfo>(nullptr, std::move(Shell));
    info->show();
    info->resize(800, 300);
    EXPECT_TRUE(Warten([&] { return info->width() == 800 && info->height() == 585; }))
        << info->width() << " x " << info->height();
    return info;
  }
  QStringList FAlt;
};

TEST_F(Infofenster, BeiBreite800IstDieSeite585HochUndDieOrdnerzeilenBeginnenBei236) {
  ProgrammTitel = QStringLiteral("Kiro Paketlader");
  auto info = Zeigen();
  EXPECT_EQ(info->Einheit(640), 800);
  EXPECT_EQ(info->Einheit(189), 236);
  EXPECT_EQ(TFormInfo::HoeheZuBreite(640), 468);
  EXPECT_EQ(TFormInfo::HoeheZuBreite(1000), 731);

  const QImage bild = info->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(bild.size(), QSize(800, 585));
  // The grey band between the thin product-coloured lines (pixels 99-100 and 224-225).
  EXPECT_EQ(bild.pixel(760, 120), kBand);
  EXPECT_EQ(bild.pixel(400, 222), kBand);
  for (int y : {99, 100, 224, 225, 394}) EXPECT_EQ(bild.pixel(400, y), kProdukt) << y;
  EXPECT_EQ(bild.pixel(400, 98), qRgb(255, 255, 255));
  EXPECT_EQ(bild.pixel(400, 226), qRgb(255, 255, 255));
  // The frame, and white page below the line.
  for (QPoint p : {QPoint(0, 300), QPoint(799, 300), QPoint(400, 0), QPoint(400, 584)})
    EXPECT_EQ(bild.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
  EXPECT_EQ(bild.pixel(400, 450), qRgb(255, 255, 255));

  // "Kiro" in the product colour, right of the logo and above the band.
  int produkt = 0;
  for (int y = 1; y < 99; ++y)
    for (int x = 100; x < 400; ++x) produkt += bild.pixel(x, y) == kProdukt;
  EXPECT_GT(produkt, 500);
  // The logo is the product icon in the top left corner.
  EXPECT_EQ(info->VirtualImageKiroLogo->geometry(), QRect(10, 10, 73, 73));
  EXPECT_FALSE(info->VirtualImageKiroLogo->pixmap().isNull());

  // The folder lines: nothing drawn between the band and 236, text right from there.
  const auto dunkel = [&](int y) {
    for (int x = 12; x < 700; ++x)
      if (qGray(bild.pixel(x, y)) < 128) return true;
    return false;
  };
  for (int y = 227; y < 236; ++y) EXPECT_FALSE(dunkel(y)) << y;
  bool text = false;
  for (int y = 236; y < 257; ++y) text = text || dunkel(y);
  EXPECT_TRUE(text);
}

TEST_F(Infofenster, TextKuerzenBehaeltAnfangUndEnde) {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(21);
  const QFontMetrics m(f);
  const QString lang =
      QStringLiteral("Programm: /home/anna/Kiro3/Installationen/Version 3.5/Programme/Strecken/Nord/ende/");

  struct Fall {
    const char* Name;
    QString Text;
    int Anfang, Breite;
  };
  const Fall faelle[] = {
      {"passt", QStringLiteral("Programm: /opt/kiro/"), 15, 750},
      {"passt genau", QStringLiteral("Daten: /x/"), 10, m.horizontalAdvance(QStringLiteral("Daten: /x/"))},
      {"zu lang", lang, 15, 400},
      {"sehr schmal", lang, 15, 5},
      {"Anfang laenger als der Text", QStringLiteral("abcdef"), 10, 1},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    const QString r = TFormInfo::TextKuerzen(c.Text, c.Anfang, c.Breite, m);
    if (m.horizontalAdvance(c.Text) <= c.Breite) {
      EXPECT_EQ(r, c.Text);
      continue;
    }
    const QString kopf = c.Text.left(c.Anfang) + QStringLiteral(" ... ");
    ASSERT_TRUE(r.startsWith(kopf)) << qPrintable(r);
    const QString schwanz = r.mid(kopf.size());
    ASSERT_FALSE(schwanz.isEmpty()) << "at least the last character";
    EXPECT_TRUE(c.Text.endsWith(schwanz)) << qPrintable(r);
    // As much of the end as fills the width, and not one character more.
    const int rest = c.Breite - m.horizontalAdvance(kopf);
    if (schwanz.size() > 1) {
      EXPECT_LT(m.horizontalAdvance(schwanz.mid(1)), rest) << qPrintable(r);
    }
    if (c.Text.size() - schwanz.size() > c.Anfang) {
      EXPECT_GE(m.horizontalAdvance(schwanz), rest) << qPrintable(r);
    }
  }
  EXPECT_EQ(TFormInfo::TextKuerzen(lang, 15, 5, m), QStringLiteral("Programm: /home ... /"));
  EXPECT_EQ(TFormInfo::TextKuerzen(QStringLiteral("abcdef"), 10, 1, m), QStringLiteral("abcdef ... f"));
}

TEST_F(Infofenster, OrdnerUndSystemzeilen) {
  platform::TFesteSystemdaten system;
  system.Name = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
  platform::SystemdatenSetzen(&system);
  struct Zurueck {
    ~Zurueck() { platform::SystemdatenSetzen(nullptr); }
  } zurueck;

  auto info = Zeigen();
  QStringList z = info->Zeilen();
  ASSERT_EQ(z.size(), 5);
  // Empty folders: the labels alone, not shortened.
  EXPECT_EQ(z[0], "Programm: ");
  EXPECT_EQ(z[1], "Daten: ");
  EXPECT_EQ(z[2], "Offiziell: ");
  EXPECT_EQ(z[3], "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(z[4], WindowsVersionText() + "  64 bit");
  system.Bit64 = false;
  EXPECT_EQ(info->Zeilen()[4], WindowsVersionText() + "  32 bit");

  // A long folder keeps the label and five characters, then the end of the path.
  Programmverzeichnis = QStringLiteral("/home/anna/") + QString(120, u'x') + QStringLiteral("/Kiro3/");
  Datenverzeichnis = QStringLiteral("/home/anna/Kiro3 Daten/");
  z = info->Zeilen();
  EXPECT_TRUE(z[0].startsWith("Programm: /home ... ")) << qPrintable(z[0]);
  EXPECT_TRUE(z[0].endsWith("x/Kiro3/")) << qPrintable(z[0]);
  EXPECT_EQ(z[1], "Daten: /home/anna/Kiro3 Daten/");
}

TEST_F(Infofenster, VersionszeilenAusSystemUndBuild) {
  const QString w = WindowsVersionText();
  EXPECT_LE(w.size(), 51);
  EXPECT_TRUE(w.startsWith("Linux ")) << qPrintable(w);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(ProgrammVersionText()).hasMatch())
      << qPrintable(ProgrammVersionText());
}

TEST_F(Infofenster, TasteUndKlickSchliessenDerStreifenOeffnetDieWebseite) {
  auto shell = std::make_shared<test::TAufzeichnendeShell>();
  auto info = Zeigen(shell);
  QTest::keyClick(info.get(), Qt::Key_A);
  EXPECT_FALSE(info->isVisible());

  info->show();
  QTest::mouseClick(info.get(), Qt::RightButton, {}, QPoint(400, 300));
  EXPECT_FALSE(info->isVisible());
  EXPECT_TRUE(shell->Geoeffnet.empty());

  info->show();
  ASSERT_TRUE(Warten([&] { return info->height() == 585; }));
  const QRect streifen = info->LabelQVLinkWebseite->geometry();
  EXPECT_EQ(streifen, QRect(0, 585 - 31, 800, 31));
  QTest::mouseClick(info->LabelQVLinkWebseite, Qt::LeftButton, {}, QPoint(700, 15));
  ASSERT_EQ(shell->Geoeffnet.size(), 1u);
  EXPECT_EQ(shell->Geoeffnet[0], kKiroWebseite);
  EXPECT_TRUE(info->isVisible()) << "the site opens; the window stays";
}

// The window opens in the middle of its screen, and its page keeps the Verdana of the product
// name for the title and the version (with the same free stand-in where Verdana is missing).
TEST_F(Infofenster, MittigAufDemBildschirmUndTitelInVerdana) {
  ProgrammTitel = QStringLiteral("Kiro Paketlader");
  TFormInfo info;
  info.show();
  ASSERT_TRUE(Warten([&] { return info.isVisible() && info.height() == TFormInfo::HoeheZuBreite(info.width()); }));
  const QRect bildschirm = info.screen()->availableGeometry();
  const QPoint mitte = info.frameGeometry().center();
  EXPECT_LE(std::abs(mitte.x() - bildschirm.center().x()), 1) << mitte.x() << " in " << bildschirm.width();
  EXPECT_LE(std::abs(mitte.y() - bildschirm.center().y()), 1) << mitte.y() << " in " << bildschirm.height();

  TTextAufzeichnung seite(info.size());
  info.render(&seite);
  const auto familien = [&](const QString& Text) { return seite.Familien(Text).join(", ").toStdString(); };
  EXPECT_EQ(familien(QStringLiteral("Kiro")), "Verdana, DejaVu Sans");
  EXPECT_EQ(familien(ProgrammTitel), "Verdana, DejaVu Sans");
  EXPECT_EQ(familien(QStringLiteral("Version ") + ProgrammVersionText()), "Verdana, DejaVu Sans");
  EXPECT_EQ(familien(info.Zeilen().value(0)), "Arial, Liberation Sans");
}

}  // namespace
