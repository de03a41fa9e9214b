#include "foundation/Farben.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace kiro;

TEST(Farben, D3DColorZuFarbwerten) {
  TD3DColorValue w;
  D3DColorZuFarbwerten(0xFF000000u, w);
  EXPECT_EQ(w.r, 0.0f);
  EXPECT_EQ(w.g, 0.0f);
  EXPECT_EQ(w.b, 0.0f);
  EXPECT_EQ(w.a, 1.0f);
  D3DColorZuFarbwerten(0x00FFFFFFu, w);
  EXPECT_EQ(w.r, 1.0f);
  EXPECT_EQ(w.g, 1.0f);
  EXPECT_EQ(w.b, 1.0f);
  EXPECT_EQ(w.a, 0.0f);
  D3DColorZuFarbwerten(0x80402010u, w);
  EXPECT_FLOAT_EQ(w.r, 0x40 / 255.0f);
  EXPECT_FLOAT_EQ(w.g, 0x20 / 255.0f);
  EXPECT_FLOAT_EQ(w.b, 0x10 / 255.0f);
  EXPECT_FLOAT_EQ(w.a, 0x80 / 255.0f);
}

TEST(Farben, D3DColorMischen) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Fall {
    const char* Was;
    std::uint32_t Farbe1, Farbe2;
    float Anteil;
    std::uint32_t Erwartet;
  } faelle[] = {
      {"halves go to the even neighbour", 0xFF0000FFu, 0xFFFF0000u, 0.5f, 0xFF800080u},
      {"a colour mixed with itself swaps red and blue", 0x005382ACu, 0x005382ACu, 0.3f, 0x00AC8253u},
      {"Anteil 1 gives the first colour", 0x11223344u, 0xFFFFFFFFu, 1.0f, 0x11443322u},
      {"Anteil 0 gives the second colour", 0xFFFFFFFFu, 0x11223344u, 0.0f, 0x11443322u},
      // Extrapolating: red would be 510 and spill into green; each channel stops at its bounds.
      {"Anteil 2 clamps at 255", 0x00FF0000u, 0x00000000u, 2.0f, 0x000000FFu},
      {"Anteil 2 clamps at 0", 0x00000000u, 0xFF808080u, 2.0f, 0x00000000u},
      {"Anteil -1 clamps at 255 and 0", 0x00FF00FFu, 0xFF408000u, -1.0f, 0xFF00FF00u},
      {"NaN gives 0", 0xFFFFFFFFu, 0xFFFFFFFFu, nan, 0x00000000u},
  };
  for (const Fall& f : faelle)
    EXPECT_EQ(D3DColorMischen(f.Farbe1, f.Farbe2, f.Anteil), f.Erwartet) << f.Was;
}

TEST(Farben, WinkeltabellenEndenUndMitte) {
  const auto& acos = ArcCosTabelle();
  const auto& asin = ArcSinTabelle();
  const auto& atan = ArcTanTabelle();
  ASSERT_EQ(acos.size(), 8001u);
  const float pi = float(M_PI);
  EXPECT_EQ(acos[0], pi);
  EXPECT_EQ(acos[4000], float(M_PI / 2));
  EXPECT_EQ(acos[8000], 0.0f);
  EXPECT_EQ(asin[0], float(-M_PI / 2));
  EXPECT_EQ(asin[4000], 0.0f);
  EXPECT_EQ(asin[8000], float(M_PI / 2));
  EXPECT_EQ(atan[0], float(-M_PI / 4));
  EXPECT_EQ(atan[4000], 0.0f);
  EXPECT_EQ(atan[8000], float(M_PI / 4));
  // Every entry against the library's own function at its x, within single precision.
  for (int i = 0; i <= 8000; i += 1) {
    const double x = (i - 4000) / 4000.0;
    ASSERT_NEAR(acos[i], std::acos(x), 4e-7) << i;
    ASSERT_NEAR(asin[i], std::asin(x), 4e-7) << i;
    ASSERT_NEAR(atan[i], std::atan(x), 4e-7) << i;
  }
  EXPECT_EQ(&ArcCosTabelle(), &acos);
}
