// The whole suite runs with leak detection on: a test that leaks fails. The child run below
// leaks on purpose, and the parent checks that the sanitizer saw it and failed that run, under
// the environment every test of the suite gets.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

char* volatile gSenke = nullptr;

[[gnu::noinline]] void Lecken() {
  // Only the last block could still be named by a stale stack slot; the others are lost.
  for (int i = 0; i < 8; ++i) {
    gSenke = new char[64];
    gSenke[0] = char(i);
  }
  gSenke = nullptr;
}

TEST(Lecksuche, EinLeckLaesstDenLaufScheitern) {
#if !defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "built without AddressSanitizer";
#endif
  if (qEnvironmentVariableIsSet("KIRO_KIND_LECKT")) {
    Lecken();
    return;
  }
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("KIRO_KIND_LECKT"), QStringLiteral("1"));
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("--gtest_filter=Lecksuche.EinLeckLaesstDenLaufScheitern")});
  ASSERT_TRUE(p.waitForFinished(120000));
  const QString ausgabe = QString::fromLocal8Bit(p.readAll());
  EXPECT_TRUE(ausgabe.contains(QStringLiteral("[  PASSED  ] 1 test"))) << ausgabe.toStdString();
  EXPECT_TRUE(ausgabe.contains(QStringLiteral("LeakSanitizer: detected memory leaks"))) << ausgabe.toStdString();
  EXPECT_NE(p.exitCode(), 0);
}

}  // namespace
