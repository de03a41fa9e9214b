#pragma once
// Colour conversions between Direct3D colour values (alpha, red, green, blue from the high byte
// down) and window colours (red in the low byte), and lookup tables of the inverse trigonometric
// functions kept for the product's 3D code.
#include <array>
#include <cstdint>

namespace kiro {

// Red, green, blue and alpha, each 0..1.
struct TD3DColorValue {
  float r = 0;
  float g = 0;
  float b = 0;
  float a = 0;
};

void D3DColorZuFarbwerten(std::uint32_t Farbe, TD3DColorValue& Werte);

// Anteil of Farbe1 plus (1 - Anteil) of Farbe2, per channel, as a window colour (alpha << 24,
// blue << 16, green << 8, red). Anteil may extrapolate; each channel is held to 0..255 (NaN 0).
std::uint32_t D3DColorMischen(std::uint32_t Farbe1, std::uint32_t Farbe2, float Anteil);

// Entry i holds the function's value in radians at x = (i - 4000) / 4000.
inline constexpr int WinkeltabelleGroesse = 8001;
using TWinkeltabelle = std::array<float, WinkeltabelleGroesse>;
// Filled once, on first use, by whichever thread comes first.
const TWinkeltabelle& ArcCosTabelle();
const TWinkeltabelle& ArcSinTabelle();
const TWinkeltabelle& ArcTanTabelle();

}  // namespace kiro
