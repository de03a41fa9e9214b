// The README's demo: the local update server comes up, Paketstarter starts Paketlader against
// it, and the demo ends (server stopped) once Paketlader's window is gone.
#include "support/Demo.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

// The demo on the offscreen platform; Plattform "xcb" with a display that does not exist makes
// Paketlader fail to start.
void DemoAufPlattformStarten(QProcess& Demo, const kiro::test::TempOrdner& T, const QStringList& Argumente,
                             const QString& Plattform = "offscreen") {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", Plattform);
  env.insert("DISPLAY", ":97");
  env.remove("WAYLAND_DISPLAY");
  kiro::test::DemoStarten(Demo, T, Argumente, env);
}

TEST(Demo, ServesTheUpdateServerUntilTheWindowCloses) {
  kiro::test::TempOrdner t;
  QProcess demo;
  DemoAufPlattformStarten(demo, t, {});
  ASSERT_TRUE(demo.waitForStarted(10000));

  const pid_t pid = kiro::test::DemoPaketlader(t);
  ASSERT_NE(pid, 0) << demo.readAllStandardOutput().toStdString() << demo.readAllStandardError().toStdString();
  EXPECT_FALSE(demo.waitForFinished(500)) << "the demo waits for the window";

  ::kill(pid, SIGTERM);
  ASSERT_TRUE(demo.waitForFinished(30000));
  EXPECT_EQ(demo.exitCode(), 0);
  const QString aus = QString::fromUtf8(demo.readAllStandardOutput());
  EXPECT_TRUE(aus.contains("demo: update server on http://127.0.0.1:")) << aus.toStdString();
  EXPECT_TRUE(aus.contains("Starting Paketlader")) << aus.toStdString();
  EXPECT_TRUE(aus.endsWith("demo: window closed, update server stopped\n")) << aus.toStdString();
}

// A Paketlader that cannot start (here: a display that does not exist) ends the demo with a
// failure that shows the last lines of Paketlader's log.
TEST(Demo, EndetMitFehlerUndDemLogWennPaketladerNichtStartet) {
  kiro::test::TempOrdner t;
  QProcess demo;
  DemoAufPlattformStarten(demo, t, {}, "xcb");
  ASSERT_TRUE(demo.waitForFinished(60000));
  const QString aus = QString::fromUtf8(demo.readAllStandardOutput()) + QString::fromUtf8(demo.readAllStandardError());
  EXPECT_NE(demo.exitCode(), 0) << aus.toStdString();
  const QString log = t.Pfad() + "kiro-" + QString::number(::getuid()) + "/Paketlader.log";
  EXPECT_TRUE(aus.contains("demo: Paketlader did not start; the last lines of " + log + ":")) << aus.toStdString();
  EXPECT_TRUE(aus.contains(":97")) << "the log's own words: " << aus.toStdString();
}

// Without a display the demo drives the window itself and ends with the stick build's status.
TEST(Demo, OhneAnzeigeBautDenStickUndMachtBildschirmfotos) {
  kiro::test::TempOrdner t;
  QProcess demo;
  DemoAufPlattformStarten(demo, t, {"--ohne-anzeige", t / "demo"});
  ASSERT_TRUE(demo.waitForFinished(240000));
  const QString aus = QString::fromUtf8(demo.readAllStandardOutput());
  EXPECT_EQ(demo.exitCode(), 0) << aus.toStdString() << demo.readAllStandardError().toStdString();
  EXPECT_TRUE(aus.contains("log: Download vollständig\n")) << aus.toStdString();
  EXPECT_TRUE(aus.contains("log: Neue Daten liegen im Verzeichnis " + t / "demo/Kiro3_0001/\n")) << aus.toStdString();
  EXPECT_TRUE(aus.endsWith("demo: stick build complete\n")) << aus.toStdString();
  for (const char* bild : {"paketlader-Deutsch.png", "paketlader-English.png"}) {
    EXPECT_TRUE(aus.contains("demo: screenshot " + t / "demo/screenshots/" + bild)) << bild;
    EXPECT_GT(QFileInfo(t / "demo/screenshots/" + bild).size(), 1000) << bild;
  }
}

}  // namespace
