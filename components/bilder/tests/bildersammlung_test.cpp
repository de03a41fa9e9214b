#include "bilder/Bildersammlung.h"

#include <QImage>

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

}  // namespace
