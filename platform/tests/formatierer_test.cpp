#include "platform/Formatierer.h"
#include "testsupport/TempOrdner.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <csignal>

#include <gtest/gtest.h>

using namespace kiro::platform;

namespace {

struct Ergebnis {
  bool erfolg = false;
  QString fehler;
};

Ergebnis Abwarten(TFormatierer& f) {
  QSignalSpy spy(&f, &TFormatierer::Fertig);
  EXPECT_TRUE(spy.wait(60000));
  EXPECT_EQ(spy.count(), 1);
  if (spy.isEmpty()) return {};
  return {spy.first().at(0).toBool(), spy.first().at(1).toString()};
}

TEST(MkfsFormatierer, FormatsAnImageAsFat32WithTheLabel) {
  kiro::test::TempOrdner t;
  const QString bild = t / "stick.img";
  QFile f(bild);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(64 * 1024 * 1024));
  f.close();

  TMkfsFormatierer fmt;
  QString fehler;
  ASSERT_TRUE(fmt.Starten(bild, "", &fehler)) << fehler.toStdString();
  const Ergebnis e = Abwarten(fmt);
  EXPECT_TRUE(e.erfolg) << e.fehler.toStdString();

  const QByteArray boot = kiro::test::Lesen(bild).left(512);
  EXPECT_EQ(boot.mid(71, 11), QByteArray("KIRO3HEIM  "));  // FAT32 volume label
  EXPECT_EQ(boot.mid(82, 8), QByteArray("FAT32   "));
  EXPECT_EQ(quint8(boot[510]), 0x55);
  EXPECT_EQ(quint8(boot[511]), 0xAA);
}

TEST(MkfsFormatierer, ReportsAFailingFormatAndAFailingStart) {
  kiro::test::TempOrdner t;
  TMkfsFormatierer fmt;
  QString fehler;
  ASSERT_TRUE(fmt.Starten(t / "gibt-es-nicht", "", &fehler));
  const Ergebnis e = Abwarten(fmt);
  EXPECT_FALSE(e.erfolg);
  EXPECT_FALSE(e.fehler.isEmpty());

  TMkfsFormatierer fehlt(t / "kein-mkfs");
  EXPECT_FALSE(fehlt.Starten(t / "x.img", "", &fehler));
  EXPECT_FALSE(fehler.isEmpty());

  EXPECT_FALSE(fmt.Starten("/", "", &fehler)) << "never the root";
  EXPECT_FALSE(fmt.Starten(t / "x.img", t / "nicht-eingehaengt/", &fehler)) << "an unmount that fails stops the format";
  EXPECT_TRUE(fehler.startsWith("umount ")) << fehler.toStdString();
  EXPECT_EQ(TMkfsFormatierer::Argumente("/dev/sdz1"), (QStringList{"-F", "32", "-n", "KIRO3HEIM", "/dev/sdz1"}));
}

// A bus of the test's own, its socket inside the test's folder.
QStringList PrivaterBus(const kiro::test::TempOrdner& Ordner) {
  return {"--session", "--nofork", "--print-address=1", "--address=unix:path=" + Ordner / "bus"};
}

// A stand-in for the UDisks2 service on a private bus: records the calls and answers them.
class FalschesUDisks : public QDBusVirtualObject {
 public:
  QStringList Aufrufe;
  QString FormatFehler;
  bool handleMessage(const QDBusMessage& m, const QDBusConnection& c) override {
    QString zeile = m.path() + " " + m.member();
    if (m.member() == "Format") zeile += " " + m.arguments().value(0).toString() + " " +
                                         qdbus_cast<QVariantMap>(m.arguments().value(1)).value("label").toString();
    if (m.member() == "ResolveDevice")
      zeile += " " + qdbus_cast<QVariantMap>(m.arguments().value(0)).value("path").toString();
    Aufrufe << zeile;
    if (m.member() == "ResolveDevice") {
      QList<QDBusObjectPath> pfade{QDBusObjectPath("/org/freedesktop/UDisks2/block_devices/sdz1")};
      c.send(m.createReply(QVariant::fromValue(pfade)));
    } else if (m.member() == "Format" && !FormatFehler.isEmpty()) {
      c.send(m.createErrorReply("org.freedesktop.UDisks2.Error.Failed", FormatFehler));
    } else if (m.member() == "Mount") {
      c.send(m.createReply(QString("/media/u/KIRO3HEIM")));
    } else {
      c.send(m.createReply());
    }
    return true;
  }
  QString introspect(const QString&) const override { return {}; }
};

class UDisksFormatierer : public ::testing::Test {
 protected:
  void SetUp() override {
    Daemon.start("dbus-daemon", PrivaterBus(Ordner));
    if (!Daemon.waitForStarted(5000) || !Daemon.waitForReadyRead(5000)) GTEST_SKIP() << "no dbus-daemon";
    Adresse = QString::fromUtf8(Daemon.readLine()).trimmed();
    auto dienst = QDBusConnection::connectToBus(Adresse, "fake-udisks");
    ASSERT_TRUE(dienst.isConnected());
    ASSERT_TRUE(dienst.registerService("org.freedesktop.UDisks2"));
    ASSERT_TRUE(dienst.registerVirtualObject("/org/freedesktop/UDisks2", &Dienst, QDBusConnection::SubPath));
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus("fake-udisks");
    QDBusConnection::disconnectFromBus("client");
    Daemon.kill();
    Daemon.waitForFinished();
  }
  kiro::test::TempOrdner Ordner;
  QProcess Daemon;
  QString Adresse;
  FalschesUDisks Dienst;
};

TEST_F(UDisksFormatierer, UnmountsFormatsAndMountsAgain) {
  auto bus = QDBusConnection::connectToBus(Adresse, "client");
  EXPECT_TRUE(TUDisksFormatierer::Verfuegbar(bus));
  TUDisksFormatierer fmt(bus);
  QString fehler;
  ASSERT_TRUE(fmt.Starten("/dev/sdz1", "/media/u/STICK/", &fehler));
  const Ergebnis e = Abwarten(fmt);
  EXPECT_TRUE(e.erfolg) << e.fehler.toStdString();
  const QString b = "/org/freedesktop/UDisks2/block_devices/sdz1";
  EXPECT_EQ(Dienst.Aufrufe, (QStringList{"/org/freedesktop/UDisks2/Manager ResolveDevice /dev/sdz1", b + " Unmount",
                                         b + " Format vfat KIRO3HEIM", b + " Mount"}));
}

TEST_F(UDisksFormatierer, AnUnmountedDriveIsFormattedAndAFailureReported) {
  auto bus = QDBusConnection::connectToBus(Adresse, "client");
  Dienst.FormatFehler = "Error formatting: device busy";
  TUDisksFormatierer fmt(bus);
  ASSERT_TRUE(fmt.Starten("/dev/sdz1", "", nullptr));
  const Ergebnis e = Abwarten(fmt);
  EXPECT_FALSE(e.erfolg);
  EXPECT_EQ(e.fehler, "Format: Error formatting: device busy");
  ASSERT_EQ(Dienst.Aufrufe.size(), 2);
  EXPECT_TRUE(Dienst.Aufrufe[1].endsWith("Format vfat KIRO3HEIM"));
}

TEST(UDisksVerfuegbar, NotOnABusWithoutTheService) {
  QProcess d;
  kiro::test::TempOrdner ordner;
  d.start("dbus-daemon", PrivaterBus(ordner));
  if (!d.waitForStarted(5000) || !d.waitForReadyRead(5000)) GTEST_SKIP() << "no dbus-daemon";
  auto bus = QDBusConnection::connectToBus(QString::fromUtf8(d.readLine()).trimmed(), "leer");
  EXPECT_FALSE(TUDisksFormatierer::Verfuegbar(bus));
  QDBusConnection::disconnectFromBus("leer");
  d.kill();
  d.waitForFinished();
}

// The system's formatter asks the bus without waiting: with UDisks2 there it formats through
// it and keeps the answer; a bus that does not answer (its daemon stopped) leaves the window
// free, and after the short time-out the format runs with mkfs.fat.
TEST_F(UDisksFormatierer, SystemFormatiererFragtDenBusOhneZuWarten) {
  auto bus = QDBusConnection::connectToBus(Adresse, "client");
  std::optional<bool> antwort;
  {
    TSystemFormatierer fmt(bus, "/usr/sbin/mkfs.fat", &antwort);
    ASSERT_TRUE(fmt.Starten("/dev/sdz1", "", nullptr));
    const Ergebnis e = Abwarten(fmt);
    EXPECT_TRUE(e.erfolg) << e.fehler.toStdString();
    EXPECT_EQ(antwort, std::optional<bool>(true));
    EXPECT_EQ(Dienst.Aufrufe.size(), 3) << Dienst.Aufrufe.join('|').toStdString();
  }

  kiro::test::TempOrdner t;
  const QString bild = t / "stick.img";
  QFile f(bild);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(40 * 1024 * 1024));
  f.close();
  ::kill(pid_t(Daemon.processId()), SIGSTOP);
  std::optional<bool> keine;
  TSystemFormatierer fmt(bus, "/usr/sbin/mkfs.fat", &keine, 700);
  QElapsedTimer uhr;
  uhr.start();
  const bool gestartet = fmt.Starten(bild, "", nullptr);
  const qint64 startDauer = uhr.elapsed();
  const Ergebnis e = Abwarten(fmt);
  ::kill(pid_t(Daemon.processId()), SIGCONT);
  EXPECT_TRUE(gestartet);
  EXPECT_LT(startDauer, 200) << "the start does not wait for the bus";
  EXPECT_GE(uhr.elapsed(), 600);
  EXPECT_TRUE(e.erfolg) << e.fehler.toStdString();
  EXPECT_EQ(keine, std::optional<bool>(false));
  EXPECT_EQ(kiro::test::Lesen(bild).mid(71, 11), QByteArray("KIRO3HEIM  "));
}

}  // namespace
