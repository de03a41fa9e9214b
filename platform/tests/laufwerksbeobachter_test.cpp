#include "platform/Laufwerksbeobachter.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace kiro::platform;

TEST(Laufwerksbeobachter, ClassifiesEachChangeByTheDriveList) {
  struct {
    const char* was;
    QStringList vorher, nachher;
    QList<int> ereignisse;
  } faelle[] = {
      {"one stick arrives", {}, {"/media/u/A/"}, {DBT_DEVICEARRIVAL}},
      {"two sticks arrive", {"/media/u/A/"}, {"/media/u/A/", "/media/u/B/", "/media/u/C/"}, {DBT_DEVICEARRIVAL}},
      {"a stick leaves", {"/media/u/A/", "/media/u/B/"}, {"/media/u/A/"}, {DBT_DEVICEREMOVECOMPLETE}},
      {"something else changed", {"/media/u/A/"}, {"/media/u/A/"}, {DBT_DEVNODES_CHANGED}},
      {"unmounted node gets mounted", {"/dev/sdb1"}, {"/media/u/B/"}, {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE}},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.was);
    QStringList liste = f.vorher;
    TLaufwerksbeobachter b([&] { return liste; }, "", false);
    QList<int> gesehen;
    QObject::connect(&b, &TLaufwerksbeobachter::Geraeteaenderung, [&](int e) { gesehen << e; });
    liste = f.nachher;
    b.Pruefen();
    EXPECT_EQ(gesehen, f.ereignisse);
  }
}

TEST(Laufwerksbeobachter, AMountPointThatComesBackIsAnArrivalAgain) {
  QStringList liste{"/media/u/A/"};
  TLaufwerksbeobachter b([&] { return liste; }, "", false);
  QList<int> gesehen;
  QObject::connect(&b, &TLaufwerksbeobachter::Geraeteaenderung, [&](int e) { gesehen << e; });
  liste.clear();
  b.Pruefen();
  liste = {"/media/u/A/"};
  b.Pruefen();
  EXPECT_EQ(gesehen, (QList<int>{DBT_DEVICEREMOVECOMPLETE, DBT_DEVICEARRIVAL}));
}

TEST(Laufwerksbeobachter, SeesAMountWithoutPolling) {
  kiro::test::TempOrdner t;
  QDir().mkpath(t / "mnt");
  int abfragen = 0;
  TLaufwerksbeobachter b([&] { ++abfragen; return QStringList(); }, "/proc/self/mountinfo", false);
  ASSERT_TRUE(b.BeobachtetMounts());
  QSignalSpy spy(&b, &TLaufwerksbeobachter::Geraeteaenderung);
  const QByteArray ziel = (t / "mnt").toLocal8Bit();
  if (::mount("kirotest", ziel.constData(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "may not mount here";
  const bool gesehen = spy.wait(5000);
  ::umount2(ziel.constData(), MNT_DETACH);
  EXPECT_TRUE(gesehen);
  EXPECT_EQ(spy.value(0).value(0).toInt(), int(DBT_DEVNODES_CHANGED));
  EXPECT_GE(abfragen, 2);
}
