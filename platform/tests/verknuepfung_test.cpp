#include "platform/Verknuepfung.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kiro;
using kiro::platform::TVerknuepfung;

namespace {

int Modus(const QString& Datei) {
  struct stat st {};
  return ::lstat(QFile::encodeName(Datei).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// The value of Key= in the entry, as written.
std::string Wert(const QByteArray& Text, const char* Schluessel) {
  for (const QByteArray& zeile : Text.split('\n'))
    if (zeile.startsWith(QByteArray(Schluessel) + '=')) return zeile.mid(qstrlen(Schluessel) + 1).toStdString();
  return "<missing>";
}

struct ExecFall {
  const char* Name;
  QString Ziel;  // below the test folder
  bool Ausfuehrbar;
  QString Argumente;
  std::string Exec;  // with %1 for the test folder
};

class DesktopEintragExec : public ::testing::TestWithParam<ExecFall> {};

// Exec is read twice: first as a string value (backslash escapes), then by the quoting rules
// (backslash before " ` $ \) and field codes (%%): each layer must be escaped, in this order.
TEST_P(DesktopEintragExec, ZielWirdNachDenRegelnGequotet) {
  const ExecFall& c = GetParam();
  test::TempOrdner ordner;
  const QString ziel = ordner.Schreiben(c.Ziel, "MZ");
  if (c.Ausfuehrbar) QFile::setPermissions(ziel, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  TVerknuepfung v{QStringLiteral("Kiro Lehr"), QStringLiteral("Kiro Lehr-Version"), ziel, c.Argumente,
                  QFileInfo(ziel).path() + u'/'};
  std::string erwartet = c.Exec;
  erwartet.replace(erwartet.find("%1"), 2, ordner.Pfad().toStdString());
  EXPECT_EQ(Wert(platform::DesktopEintragText(v), "Exec"), erwartet);
}

INSTANTIATE_TEST_SUITE_P(
    Faelle, DesktopEintragExec,
    ::testing::Values(
        ExecFall{"Windowsprogramm", "KiroSim.exe", false, "", R"(xdg-open "%1KiroSim.exe")"},
        ExecFall{"Ausfuehrbar", "KiroSim", true, "", R"("%1KiroSim")"},
        ExecFall{"Leerzeichen", "Kiro Sim/Kiro Sim.exe", false, "", R"(xdg-open "%1Kiro Sim/Kiro Sim.exe")"},
        ExecFall{"Sonderzeichen", "a$b`c\"d%e\\f.exe", false, "",
                 R"(xdg-open "%1a\\$b\\`c\\"d%%e\\\\f.exe")"},
        ExecFall{"MitArgument", "KiroSim", true, "-x \"1\"", R"("%1KiroSim" "-x \\"1\\"")"}),
    [](const auto& i) { return std::string(i.param.Name); });

TEST(DesktopEintrag, FelderUndEscapes) {
  TVerknuepfung v{QStringLiteral(" Kiro\\Lehr"), QStringLiteral("Zeile 1\nZeile 2"), QStringLiteral("/x/KiroSim.exe"),
                  QString(), QStringLiteral("/x/")};
  const QByteArray text = platform::DesktopEintragText(v);
  EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n"));
  EXPECT_EQ(Wert(text, "Name"), R"(\sKiro\\Lehr)");
  EXPECT_EQ(Wert(text, "Comment"), R"(Zeile 1\nZeile 2)");
  EXPECT_EQ(Wert(text, "Path"), "/x/");
  EXPECT_EQ(text.count('\n'), 8);
}

TEST(DesktopEintrag, SchreibenErsetztEinenLinkUndHinterlaesstNichts) {
  test::TempOrdner desktop, anderswo;
  const QString fremd = anderswo.Schreiben("fremd.txt", "bleibt");
  const QString eintrag = desktop / "Kiro Lehr.desktop";
  ASSERT_TRUE(QFile::link(fremd, eintrag));
  TVerknuepfung v{QStringLiteral("Kiro Lehr"), QStringLiteral("Kiro Lehr-Version"), desktop / "KiroSim.exe", QString(),
                  desktop.Pfad()};
  ::umask(077);
  const bool ok = platform::DesktopEintragSchreiben(eintrag, v);
  ::umask(022);
  ASSERT_TRUE(ok);
  EXPECT_FALSE(QFileInfo(eintrag).isSymLink());
  EXPECT_EQ(test::Lesen(eintrag), platform::DesktopEintragText(v));
  EXPECT_EQ(Modus(eintrag), 0755);
  EXPECT_EQ(test::Lesen(fremd), "bleibt");
  EXPECT_EQ(QDir(desktop.Pfad()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"Kiro Lehr.desktop"});
}

TEST(DesktopEintrag, FehlenderOrdnerMeldetFehler) {
  test::TempOrdner desktop;
  QString fehler;
  EXPECT_FALSE(platform::DesktopEintragSchreiben(desktop / "gibt es nicht/Kiro CBT.desktop", TVerknuepfung{}, &fehler));
  EXPECT_TRUE(fehler.contains("Kiro CBT.desktop")) << fehler.toStdString();
  EXPECT_FALSE(platform::DesktopEintragSchreiben(QString(), TVerknuepfung{}));
}

}  // namespace
