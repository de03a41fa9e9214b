#include "foundation/Farben.h"

#include <cmath>

namespace kiro {

void D3DColorZuFarbwerten(std::uint32_t Farbe, TD3DColorValue& Werte) {
  Werte.r = float((Farbe >> 16) & 0xFF) / 255.0f;
  Werte.g = float((Farbe >> 8) & 0xFF) / 255.0f;
  Werte.b = float(Farbe & 0xFF) / 255.0f;
  Werte.a = float((Farbe >> 24) & 0xFF) / 255.0f;
}

namespace {

// One mixed channel as a byte: halves to the even neighbour, held to 0..255 so an extrapolated
// channel cannot spill into its neighbour.
std::uint32_t Kanal(float Wert) {
  const double v = std::nearbyint(double(Wert) * 255.0);
  if (!(v > 0)) return 0;  // also NaN
  if (v > 255) return 255;
  return std::uint32_t(v);
}

}  // namespace

std::uint32_t D3DColorMischen(std::uint32_t Farbe1, std::uint32_t Farbe2, float Anteil) {
  TD3DColorValue a, b;
  D3DColorZuFarbwerten(Farbe1, a);
  D3DColorZuFarbwerten(Farbe2, b);
  auto mischen = [Anteil](float x, float y) { return float(Anteil * x + (1.0f - Anteil) * y); };
  return (Kanal(mischen(a.a, b.a)) << 24) | (Kanal(mischen(a.b, b.b)) << 16) | (Kanal(mischen(a.g, b.g)) << 8) |
         Kanal(mischen(a.r, b.r));
}

namespace {

struct TWinkeltabellen {
  TWinkeltabelle Cos, Sin, Tan;
  TWinkeltabellen() {
    for (int i = 0; i < WinkeltabelleGroesse; ++i) {
      const long double x = (long double)(i - 4000) / 4000.0L;
      Cos[i] = float(std::atan2(std::sqrt((1 + x) * (1 - x)), x));
      Sin[i] = float(std::atan2(x, std::sqrt(1 - x * x)));
      Tan[i] = float(std::atan(x));
    }
  }
};

const TWinkeltabellen& Winkeltabellen() {
  static const TWinkeltabellen t;
  return t;
}

}  // namespace

const TWinkeltabelle& ArcCosTabelle() { return Winkeltabellen().Cos; }
const TWinkeltabelle& ArcSinTabelle() { return Winkeltabellen().Sin; }
const TWinkeltabelle& ArcTanTabelle() { return Winkeltabellen().Tan; }

}  // namespace kiro
