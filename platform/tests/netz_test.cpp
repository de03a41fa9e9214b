#include "platform/Netz.h"
#include "testsupport/TempOrdner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace kiro;

namespace {

const char* kKopf4 = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

struct Fall {
  const char* Name;
  QByteArray Ipv4;
  QByteArray Ipv6;
  bool Verbunden;
};

class NetzTest : public ::testing::TestWithParam<Fall> {};

TEST_P(NetzTest, StandardrouteAufEchterSchnittstelle) {
  test::TempOrdner ordner;
  const QString v4 = ordner.Schreiben("route", QByteArray(kKopf4) + GetParam().Ipv4);
  const QString v6 = ordner.Schreiben("ipv6_route", GetParam().Ipv6);
  EXPECT_EQ(platform::InternetVerbunden(v4, v6), GetParam().Verbunden);
}

const QByteArray kV6Lo =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n";

INSTANTIATE_TEST_SUITE_P(
    Routen, NetzTest,
    ::testing::Values(
        Fall{"v4_default_up", "eth0\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n", "", true},
        Fall{"v4_only_subnet", "eth0\t0002A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n", kV6Lo, false},
        Fall{"v4_default_down", "eth0\t00000000\t0102A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n", "", false},
        Fall{"v4_default_on_lo", "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n", "", false},
        Fall{"v6_default_up", "",
             "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
             "fe800000000000000000000000000001 00000400 00000001 00000000 00450003     eth0\n",
             true},
        Fall{"v6_reject_on_lo_only", "", kV6Lo, false},
        Fall{"v6_prefix_not_default", "",
             "20010db8000000000000000000000000 40 00000000000000000000000000000000 00 "
             "00000000000000000000000000000000 00000100 00000001 00000000 00000001     eth0\n",
             false},
        Fall{"nothing", "", "", false}),
    [](const auto& info) { return std::string(info.param.Name); });

// The kernel's tables report size 0 and are generated as they are read: the machine's own tables
// must give the same answer as a plain copy of them.
TEST(Netz, EchteRoutentabellenWieIhreKopie) {
  test::TempOrdner ordner;
  auto kopie = [&](const char* Pfad, const char* Name) {
    std::ifstream ein(Pfad);
    std::stringstream inhalt;
    inhalt << ein.rdbuf();
    return ordner.Schreiben(Name, QByteArray::fromStdString(inhalt.str()));
  };
  const QString v4 = kopie("/proc/net/route", "route");
  const QString v6 = kopie("/proc/net/ipv6_route", "ipv6_route");
  EXPECT_EQ(platform::InternetVerbunden(), platform::InternetVerbunden(v4, v6))
      << test::Lesen(v4).toStdString() << test::Lesen(v6).toStdString();
}

TEST(Netz, FehlendeTabellenHeissenOffline) {
  EXPECT_FALSE(platform::InternetVerbunden("/nonexistent/route", "/nonexistent/ipv6_route"));
}

}  // namespace
