#include "foundation/KiroTypen.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"

#include <QSet>

#include <cmath>
#include <limits>

#include <ostream>

#include <gtest/gtest.h>

using namespace kiro;

// Readable QStrings in failure messages.
inline std::ostream& operator<<(std::ostream& o, const QString& s) { return o << '"' << s.toStdString() << '"'; }

namespace {

QDateTime Zeitpunkt(int j, int m, int t, int h = 0, int min = 0, int s = 0, int ms = 0) {
  return QDateTime(QDate(j, m, t), QTime(h, min, s, ms));
}

}  // namespace

// Values and the calendar time they stand for, both ways.
TEST(TDateTime, ConvertsBothWaysExactly) {
  struct {
    double wert;
    QDateTime zeit;
  } faelle[] = {
      {0.0, Zeitpunkt(1899, 12, 30)},
      {1.0, Zeitpunkt(1899, 12, 31)},
      {2.0, Zeitpunkt(1900, 1, 1)},
      {0.5, Zeitpunkt(1899, 12, 30, 12)},
      {36526.0, Zeitpunkt(2000, 1, 1)},
      {45000.0, Zeitpunkt(2023, 3, 15)},
      {45351.0 + 86399999.0 / 86400000.0, Zeitpunkt(2024, 2, 29, 23, 59, 59, 999)},
      {45351.0 + 1.0 / 86400000.0, Zeitpunkt(2024, 2, 29, 0, 0, 0, 1)},
      {-1.0, Zeitpunkt(1899, 12, 29)},
      {-1.25, Zeitpunkt(1899, 12, 29, 6)},
      {-2.75, Zeitpunkt(1899, 12, 28, 18)},
      {-693593.0, Zeitpunkt(1, 1, 1)},
      {2958465.0 + 86399999.0 / 86400000.0, Zeitpunkt(9999, 12, 31, 23, 59, 59, 999)},
  };
  for (const auto& f : faelle) {
    const TDateTime w(f.wert);
    EXPECT_EQ(w.AlsQDateTime(), f.zeit) << f.wert;
    EXPECT_EQ(w.Datum(), f.zeit.date()) << f.wert;
    EXPECT_EQ(w.Zeit(), f.zeit.time()) << f.wert;
    EXPECT_DOUBLE_EQ(TDateTime::AusQDateTime(f.zeit).Wert, f.wert) << f.zeit.toString(Qt::ISODateWithMs);
  }
}

TEST(TDateTime, ReadsValuesThatOnlyOneDirectionProduces) {
  struct {
    double wert;
    QDateTime zeit;
  } faelle[] = {
      // The day is the integer part truncated towards zero; the time the fraction's magnitude.
      {-0.5, Zeitpunkt(1899, 12, 30, 12)},
      {-0.25, Zeitpunkt(1899, 12, 30, 6)},
      // Rounded to the millisecond, which may carry into the next day.
      {0.99999999999, Zeitpunkt(1899, 12, 31)},
      {-1.99999999999, Zeitpunkt(1899, 12, 28)},
      {45351.5 + 0.4 / 86400000.0, Zeitpunkt(2024, 2, 29, 12)},
  };
  for (const auto& f : faelle) EXPECT_EQ(TDateTime(f.wert).AlsQDateTime(), f.zeit) << f.wert;
}

TEST(TDateTime, RoundTripsEveryMillisecondPattern) {
  // Days on both sides of day 0 and across the whole range, with times hitting every digit.
  const qint64 tage[] = {-693593, -36524, -2, -1, 0, 1, 2, 36526, 45351, 2958465};
  const int zeiten[] = {0, 1, 999, 1000, 43'199'999, 43'200'000, 43'200'001, 86'399'000, 86'399'999};
  const QDate tag0(1899, 12, 30);
  for (qint64 t : tage)
    for (int ms : zeiten) {
      const QDateTime zeit(tag0.addDays(t), QTime::fromMSecsSinceStartOfDay(ms));
      const TDateTime w = TDateTime::AusQDateTime(zeit);
      EXPECT_EQ(w.Datum(), zeit.date()) << t << " " << ms;
      EXPECT_EQ(w.Zeit(), zeit.time()) << t << " " << ms;
      EXPECT_EQ(TDateTime::AusQDateTime(w.AlsQDateTime()), w) << t << " " << ms;
    }
}

TEST(TDateTime, DatesOnlyAndMissingValues) {
  EXPECT_EQ(TDateTime::AusDatum(QDate(2000, 1, 1)).Wert, 36526.0);
  EXPECT_EQ(TDateTime::AusDatum(QDate(1899, 12, 29)).Wert, -1.0);
  EXPECT_TRUE(TDateTime::AusDatum(QDate()).IstLeer());
  EXPECT_TRUE(TDateTime::AusQDateTime(QDateTime()).IstLeer());
  EXPECT_TRUE(TDateTime::AusDatum(QDate(1000000, 1, 1)).IstLeer());  // beyond an exact millisecond count
  EXPECT_TRUE(TDateTime().IstLeer());
  EXPECT_FALSE(TDateTime(0.5).IstLeer());
  // The date keeps its wall-clock fields whatever zone the QDateTime is in.
  EXPECT_EQ(TDateTime::AusQDateTime(QDateTime(QDate(2000, 1, 1), QTime(6, 0), Qt::UTC)).Wert, 36526.25);
  EXPECT_EQ(TDateTime::AusQDateTime(QDateTime(QDate(2000, 1, 1), QTime(6, 0), Qt::OffsetFromUTC, 3600)).Wert,
            36526.25);

  for (double kaputt : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
    EXPECT_FALSE(TDateTime(kaputt).AlsQDateTime().isValid()) << kaputt;
    EXPECT_FALSE(TDateTime(kaputt).Datum().isValid()) << kaputt;
    EXPECT_FALSE(TDateTime(kaputt).Zeit().isValid()) << kaputt;
  }
  EXPECT_LT(TDateTime(-1.0), TDateTime(0.0));
}

TEST(TDatei, BaseFolderByCode) {
  Datenverzeichnis = "/eigene/";
  Programmverzeichnis = "/programm/";
  DatenverzeichnisOffiziell = "/offiziell/";
  struct {
    std::uint8_t code;
    const char* ordner;
  } faelle[] = {{0, "/eigene/"}, {1, "/programm/"}, {2, "/offiziell/"}, {7, "/offiziell/"}, {255, "/offiziell/"}};
  for (const auto& f : faelle) {
    TDatei d;
    d.InstVerzeichnis = f.code;
    EXPECT_EQ(BasisVerzeichnis(d), QString::fromUtf8(f.ordner)) << int(f.code);
  }
  Datenverzeichnis.clear();
  Programmverzeichnis.clear();
  DatenverzeichnisOffiziell.clear();
  TDatei d;
  d.InstVerzeichnis = 7;
  EXPECT_EQ(BasisVerzeichnis(d), QString());
}

// The program-file list is read by the install-script analysis: a row is found by its path and
// fits an update entry when its marker (bare name, upper case, "." -> "_") occurs in the entry's name.
TEST(UpdateDateien, RowsCanBeFoundAndTellApart) {
  QSet<QString> pfade;
  QStringList marken;
  int betrachtet = 0;
  for (const TUpdateDatei& r : UpdateDateien) {
    EXPECT_FALSE(r.Klarname.isEmpty());
    EXPECT_EQ(r.Hashwert, 0u) << r.Datei;
    EXPECT_TRUE(SichereKomponenten(r.Datei)) << r.Datei;
    EXPECT_FALSE(r.Datei.endsWith(u'\\')) << r.Datei;
    EXPECT_FALSE(pfade.contains(r.Datei.toUpper())) << r.Datei;
    pfade.insert(r.Datei.toUpper());
    EXPECT_TRUE(r.Startmenue.isEmpty() || (r.Startmenue.startsWith(u'\\') && r.Startmenue.endsWith(u'\\')))
        << r.Startmenue;
    if (r.Umfang & 1) {
      ++betrachtet;
      marken << r.Datei.section(u'\\', -1).toUpper().replace(u'.', u'_');
    }
  }
  EXPECT_GT(betrachtet, 0);
  EXPECT_LT(betrachtet, int(UpdateDateien.size()));
  // An update named for one program must not count for another.
  for (const QString& a : marken)
    for (const QString& b : marken)
      if (&a != &b) {
        EXPECT_FALSE(b.contains(a)) << a << " in " << b;
      }
}

TEST(AnwendungsDateitypen, NameTheProductsOwnPrograms) {
  QSet<QString> programme;
  for (const TUpdateDatei& r : UpdateDateien) programme.insert(r.Datei);
  QSet<int> typen;
  for (const TAnwendungsDateityp& a : AnwendungsDateitypen) {
    EXPECT_TRUE(programme.contains(a.Anwendung)) << a.Anwendung;
    EXPECT_TRUE(a.Symbol.startsWith(a.Anwendung)) << a.Symbol;
    EXPECT_FALSE(a.RegSchluessel.isEmpty());
    EXPECT_FALSE(typen.contains(a.DateiTyp)) << int(a.DateiTyp);
    typen.insert(a.DateiTyp);
  }
}
