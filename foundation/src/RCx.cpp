#include "foundation/RCx.h"

#include <string.h>

#include <utility>

namespace kiro {

bool RCxSchluesseln(TRCxZustand& Zustand, std::span<const std::uint8_t> Schluessel) {
  if (Schluessel.empty()) return false;
  // Whitening: each key byte XOR the low byte of a running sum, which stays far below 2^31 - 1.
  std::uint8_t k[256];
  std::uint32_t a = 0;
  for (unsigned n = 0; n < 256; ++n) {
    Zustand[n] = std::uint8_t(n);
    k[n] = std::uint8_t(Schluessel[n % Schluessel.size()] ^ (a & 0xFF));
    a = ((a + 257u * k[n]) % 2147483647u) + 1;
  }
  Zustand[256] = 0;
  Zustand[257] = 0;
  Zustand[258] = std::uint8_t(a >> 8);
  std::uint8_t t = std::uint8_t(a);
  for (unsigned n = 0; n < 256; ++n) {
    t = std::uint8_t(t + Zustand[n] + k[n]);
    std::swap(Zustand[n], Zustand[t]);
  }
  // The whitened key must not linger on the stack; a plain memset could be optimised away.
  explicit_bzero(k, sizeof k);
  return true;
}

namespace {

TRCxZustand& GlobalerZustand() {
  static TRCxZustand z = [] {
    TRCxZustand s{};
    RCxSchluesseln(s, RCxStartSchluessel);
    return s;
  }();
  return z;
}

// Keys the state while the program starts, as the original did at unit initialisation.
[[maybe_unused]] const TRCxZustand& StartZustand = GlobalerZustand();

}  // namespace

const TRCxZustand& RCxGlobalerZustand() { return GlobalerZustand(); }

bool RCxGlobalSchluesseln(std::span<const std::uint8_t> Schluessel) {
  return RCxSchluesseln(GlobalerZustand(), Schluessel);
}

}  // namespace kiro
