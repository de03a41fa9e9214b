#include "platform/Registrierung.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <ostream>

#include <gtest/gtest.h>

using namespace kiro;
using platform::TRegWert;
using platform::TRegWurzel;

inline std::ostream& operator<<(std::ostream& o, const QString& s) { return o << '"' << s.toStdString() << '"'; }

namespace {

const QString kFixturen = QStringLiteral(KIRO_WINE_FIXTUREN);

struct Fall {
  const char* Name;
  TRegWurzel Wurzel;
  const char16_t* Schluessel;
  const char16_t* Wert;
  TRegWert::TArt Art;
  const char16_t* Text;  // the string, or the type of a value that is none
};

class RegistrierungTest : public ::testing::TestWithParam<Fall> {};

TEST_P(RegistrierungTest, WertAusDenDateienDesPraefixes) {
  const Fall& f = GetParam();
  const platform::TWineRegistrierung reg(kFixturen);
  const TRegWert w = reg.WertLesen(f.Wurzel, QString::fromUtf16(f.Schluessel), QString::fromUtf16(f.Wert));
  EXPECT_EQ(w.Art, f.Art);
  EXPECT_EQ(f.Art == TRegWert::KeinText ? w.Typ : w.Wert, QString::fromUtf16(f.Text));
}

constexpr auto T = TRegWert::Text;
constexpr auto K = TRegWert::KeinText;
constexpr auto F = TRegWert::Fehlt;

INSTANTIATE_TEST_SUITE_P(
    Fixturen, RegistrierungTest,
    ::testing::Values(
        Fall{"Maschine", TRegWurzel::LocalMachine, u"Software\\Microsoft\\DirectX", u"Version", T, u"4.09.00.0904"},
        Fall{"GrossKleinEgal", TRegWurzel::LocalMachine, u"SOFTWARE\\microsoft\\directx", u"VERSION", T,
             u"4.09.00.0904"},
        Fall{"TrennerAmRand", TRegWurzel::LocalMachine, u"\\Software\\Microsoft\\DirectX\\", u"Version", T,
             u"4.09.00.0904"},
        Fall{"Standardwert", TRegWurzel::LocalMachine, u"Software\\Classes\\.kiro", u"", T, u"Kiro.Strecke"},
        Fall{"Klassen", TRegWurzel::ClassesRoot, u".kiro", u"Content Type", T, u"application/x-kiro"},
        Fall{"KlassenMaskiert", TRegWurzel::ClassesRoot, u"Kiro.Strecke\\shell\\open\\command", u"", T,
             u"\"C:\\Program Files\\Kiro\\KiroStreckeneditor.exe\" \"%1\""},
        Fall{"Benutzer", TRegWurzel::CurrentUser, u"Software\\Kiro\\Simulator", u"", T, u"3.5.7.0"},
        Fall{"BenutzerNichtMaschine", TRegWurzel::LocalMachine, u"Software\\Kiro\\Simulator", u"", F, u""},
        Fall{"MaschineNichtBenutzer", TRegWurzel::CurrentUser, u"Software\\Microsoft\\DirectX", u"Version", F, u""},
        Fall{"Erweiterbar", TRegWurzel::LocalMachine, u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
             u"TargetVersion", T, u"4.0.0"},
        Fall{"TextAlsBytes", TRegWurzel::LocalMachine, u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
             u"Roh", T, u"4.7"},
        Fall{"Zahl", TRegWurzel::LocalMachine, u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
             u"Release", K, u"dword"},
        Fall{"Liste", TRegWurzel::LocalMachine, u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
             u"Pfade", K, u"str(7)"},
        Fall{"Bytes", TRegWurzel::LocalMachine, u"Software\\Microsoft\\DirectX", u"InstalledVersion", K, u"hex"},
        Fall{"TextUeberZeilen", TRegWurzel::LocalMachine, u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
             u"Lang", K, u"hex(2)"},
        Fall{"Escapes", TRegWurzel::LocalMachine, u"Software\\Kiro\\Ansicht[alt]", u"Name mit \"Zeichen\"", T,
             u"Grüße \\ Tab\tEndeA"},
        Fall{"WertFehlt", TRegWurzel::LocalMachine, u"Software\\Microsoft\\DirectX", u"Gibtsnicht", F, u""},
        Fall{"SchluesselFehlt", TRegWurzel::LocalMachine, u"Software\\Microsoft\\DirectY", u"Version", F, u""},
        Fall{"NurAnfangDesSchluessels", TRegWurzel::LocalMachine, u"Software\\Microsoft", u"Version", F, u""},
        Fall{"Wurzel", TRegWurzel::LocalMachine, u"", u"Version", F, u""},
        Fall{"Benutzerliste", TRegWurzel::Users, u"Software\\Kiro\\Simulator", u"", F, u""},
        Fall{"Leistungsdaten", TRegWurzel::PerformanceData, u"Software\\Microsoft\\DirectX", u"Version", F, u""},
        Fall{"Konfiguration", TRegWurzel::CurrentConfig, u"Software\\Microsoft\\DirectX", u"Version", F, u""},
        Fall{"DynDaten", TRegWurzel::DynData, u"Software\\Microsoft\\DirectX", u"Version", F, u""}),
    [](const ::testing::TestParamInfo<Fall>& i) { return std::string(i.param.Name); });

TEST(Registrierung, FehlenderPraefixUndFehlendeDateien) {
  test::TempOrdner ordner;
  const platform::TWineRegistrierung keinPraefix(ordner / QStringLiteral("gibtsnicht"));
  EXPECT_EQ(keinPraefix.WertLesen(TRegWurzel::CurrentUser, QStringLiteral("Software\\Kiro\\Simulator"), QString()).Art,
            TRegWert::Fehlt);

  // A prefix whose registry files are no regular files: nothing is read, nothing blocks.
  QDir().mkpath(ordner / QStringLiteral("p/system.reg"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(ordner / QStringLiteral("p/user.reg")).constData(), 0600), 0);
  const platform::TWineRegistrierung leer(ordner / QStringLiteral("p"));
  EXPECT_EQ(leer.WertLesen(TRegWurzel::CurrentUser, QStringLiteral("Software\\Kiro\\Simulator"), QString()).Art,
            TRegWert::Fehlt);
  EXPECT_EQ(leer.WertLesen(TRegWurzel::LocalMachine, QStringLiteral("Software\\Microsoft\\DirectX"),
                           QStringLiteral("Version")).Art,
            TRegWert::Fehlt);
}

TEST(Registrierung, PraefixAusDerUmgebung) {
  const QByteArray altPraefix = qgetenv("WINEPREFIX");
  const QByteArray altHeim = qgetenv("HOME");
  test::TempOrdner heim;
  QDir().mkpath(heim / QStringLiteral(".wine"));
  QFile::copy(kFixturen + QStringLiteral("/user.reg"), heim / QStringLiteral(".wine/user.reg"));
  const platform::TWineRegistrierung reg;
  const auto lesen = [&] {
    return reg.WertLesen(TRegWurzel::CurrentUser, QStringLiteral("Software\\Wine\\Direct3D"), QStringLiteral("renderer"));
  };

  qputenv("WINEPREFIX", kFixturen.toUtf8());
  qputenv("HOME", "/gibtsnicht");
  EXPECT_EQ(reg.PraefixOrdner(), kFixturen + u'/');
  EXPECT_EQ(lesen().Wert, QStringLiteral("vulkan"));

  qunsetenv("WINEPREFIX");
  qputenv("HOME", heim.Pfad().toUtf8());
  EXPECT_EQ(reg.PraefixOrdner(), heim / QStringLiteral(".wine/"));
  EXPECT_EQ(lesen().Wert, QStringLiteral("vulkan"));

  // The global source: the user's prefix unless a test sets another.
  EXPECT_EQ(platform::Registrierung().WertLesen(TRegWurzel::CurrentUser, QStringLiteral("Software\\Kiro\\Simulator"),
                                                QString()).Wert,
            QStringLiteral("3.5.7.0"));
  const platform::TWineRegistrierung leer(heim / QStringLiteral("leer"));
  platform::RegistrierungSetzen(&leer);
  EXPECT_EQ(platform::Registrierung().WertLesen(TRegWurzel::CurrentUser, QStringLiteral("Software\\Kiro\\Simulator"),
                                                QString()).Art,
            TRegWert::Fehlt);
  platform::RegistrierungSetzen(nullptr);

  altPraefix.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", altPraefix);
  qputenv("HOME", altHeim);
}

}  // namespace
