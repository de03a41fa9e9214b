#include "bilder/Bildersammlung.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

#include <functional>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

TEST(Bildersammlung, DieVierBilderDesHauptfenstersSindGezeichnet) {
  TImageCollection sammlung;
  KiroGesamtBilderEintragen(sammlung);
  for (const char* name : {"icon_RotesKreuz", "icon_hakengruen1", "icon_flaggeDE", "icon_flaggeUK"}) {
    SCOPED_TRACE(name);
    for (int groesse : {20, 24, 48}) {
      const QImage bild = sammlung.Pixmap(QString::fromLatin1(name), groesse, groesse).toImage();
      ASSERT_EQ(bild.size(), QSize(groesse, groesse));
      // The centre of every picture is painted, not left transparent.
      EXPECT_GT(qAlpha(bild.pixel(groesse / 2, groesse / 2)), 200);
    }
  }
  // Red cross and green tick must be told apart at a glance: their dominant colours differ.
  const QImage kreuz = sammlung.Pixmap("icon_RotesKreuz", 24, 24).toImage();
  const QImage haken = sammlung.Pixmap("icon_hakengruen1", 24, 24).toImage();
  const QRgb k = kreuz.pixel(5, 12), h = haken.pixel(5, 12);
  EXPECT_GT(qRed(k), qGreen(k));
  EXPECT_GT(qGreen(h), qRed(h));
}

TEST(Bildersammlung, FehlendesBildIstLeer) {
  TImageCollection sammlung;
  EXPECT_TRUE(sammlung.Pixmap("icon_gibtsnicht", 24, 24).isNull());
  EXPECT_TRUE(sammlung.Icon("icon_gibtsnicht").isNull());
  sammlung.Hinzufuegen("a", QIcon());
  sammlung.Hinzufuegen("a", QIcon());
  EXPECT_EQ(sammlung.Namen(), QStringList{"a"});
}

struct Sammlung {
  const char* Name;
  std::function<void(TImageCollection&)> Fuellen;
  QStringList Pflicht;  // the names its users ask for
};

const std::vector<Sammlung>& Sammlungen() {
  static const std::vector<Sammlung> s = {
      {"KiroGesamt", KiroGesamtBilderEintragen,
       {"icon_RotesKreuz", "icon_hakengruen1", "icon_flaggeDE", "icon_flaggeUK", "icon_oeffnen", "icon_neu",
        "icon_loeschen", "icon_smiliegrau", "icon_speichern", "icon_ausklappen", "icon_einklappen"}},
      {"KiroIcon", KiroIconBilderEintragen, {"icon_kiro"}},
      {"KiroDateien", KiroDateienBilderEintragen, {"icon_sound", "KiroDateitypen\\icon_strecke"}},
      {"Meldungen", MeldungenBilderEintragen,
       {"icon_datei", "Fehlersymbole\\icon_AdminInfo", "Fehlersymbole\\icon_RotesKreuz",
        "Fehlersymbole\\icon_GelbesDreieck", "Fehlersymbole\\icon_BlaueInfo", "Fehlersymbole\\icon_RoteInfo",
        "Fehlersymbole\\icon_GrueneInfo", "icon_netzwerkeingang", "icon_netzwerkausgang"}},
  };
  return s;
}

// Share of pixels that are drawn (not transparent): a picture, not an empty square.
double Deckung(const QImage& bild) {
  int gedeckt = 0;
  for (int y = 0; y < bild.height(); ++y)
    for (int x = 0; x < bild.width(); ++x) gedeckt += qAlpha(bild.pixel(x, y)) > 128;
  return double(gedeckt) / (bild.width() * bild.height());
}

TEST(Bildersammlung, JedeSammlungHaeltIhreBilderInJederGroesse) {
  for (const Sammlung& s : Sammlungen()) {
    SCOPED_TRACE(s.Name);
    TImageCollection sammlung;
    s.Fuellen(sammlung);
    for (const QString& name : s.Pflicht) EXPECT_TRUE(sammlung.Enthaelt(name)) << qPrintable(name);
    for (const QString& name : sammlung.Namen()) {
      SCOPED_TRACE(qPrintable(name));
      for (int groesse : {16, 19, 20, 24, 32, 48, 64, 73}) {
        const QImage bild = sammlung.Pixmap(name, groesse, groesse).toImage();
        ASSERT_EQ(bild.size(), QSize(groesse, groesse)) << groesse;
        EXPECT_GT(Deckung(bild), 0.2) << groesse;
      }
    }
  }
}

// One placeholder behind several names would let a user mistake one action for another.
TEST(Bildersammlung, InEinerSammlungSiehtKeinBildWieEinAnderesAus) {
  for (const Sammlung& s : Sammlungen()) {
    TImageCollection sammlung;
    s.Fuellen(sammlung);
    const QStringList& namen = sammlung.Namen();
    for (qsizetype i = 0; i < namen.size(); ++i)
      for (qsizetype j = i + 1; j < namen.size(); ++j) {
        const QImage a = sammlung.Pixmap(namen[i], 24, 24).toImage();
        const QImage b = sammlung.Pixmap(namen[j], 24, 24).toImage();
        int anders = 0;
        for (int y = 0; y < 24; ++y)
          for (int x = 0; x < 24; ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            anders += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                          std::abs(qAlpha(p) - qAlpha(q)) > 120;
          }
        EXPECT_GT(anders, 24 * 24 / 10) << s.Name << ": " << qPrintable(namen[i]) << " / " << qPrintable(namen[j]);
      }
  }
}

// Every image name written in the program's sources is found in one of the collections: a
// window that asks for a name nobody drew fails here instead of showing an empty square.
TEST(Bildersammlung, JederNameImQuelltextHatEinBild) {
  TImageCollection alle[4];
  for (size_t i = 0; i < Sammlungen().size(); ++i) Sammlungen()[i].Fuellen(alle[i]);
  const QRegularExpression literal(QStringLiteral(R"re("((?:Fehlersymbole|KiroDateitypen)\\\\)?(icon_\w+)")re"));
  QSet<QString> gefunden;
  for (const char* teil : {"components", "installer", "datafiles", "foundation"}) {
    QDirIterator it(QStringLiteral(KIRO_QUELLORDNER "/") + QLatin1String(teil), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString datei = it.next();
      // Tests name missing images on purpose; the collections' own sources define the names.
      if (datei.contains(QLatin1String("/tests/")) || datei.contains(QLatin1String("/bilder/"))) continue;
      QFile f(datei);
      ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(datei);
      const QString text = QString::fromUtf8(f.readAll());
      for (auto m = literal.globalMatch(text); m.hasNext();) {
        const auto treffer = m.next();
        // In the source the folder's backslash is written twice.
        QString name = treffer.captured(1);
        if (!name.isEmpty()) name.chop(1);
        name += treffer.captured(2);
        gefunden.insert(name);
        bool da = false;
        for (const TImageCollection& c : alle) da = da || !c.Pixmap(name, 20, 20).isNull();
        EXPECT_TRUE(da) << qPrintable(name) << " in " << qPrintable(datei);
      }
    }
  }
  // The scan itself works: the main window's lights are among the names it found.
  EXPECT_TRUE(gefunden.contains(QStringLiteral("icon_hakengruen1")));
  EXPECT_TRUE(gefunden.contains(QStringLiteral("icon_kiro")));
}

}  // namespace
