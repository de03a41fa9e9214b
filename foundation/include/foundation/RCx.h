#pragma once
// An RC4-like cipher state and its key schedule. One process-wide state is keyed at start with a
// fixed key; nothing in these programs enciphers with it, so there is no keystream generator.
#include <array>
#include <cstdint>
#include <span>

namespace kiro {

// Bytes 0-255 the permutation, 256 index i, 257 index j, 258 bits 8-15 of the whitening sum.
using TRCxZustand = std::array<std::uint8_t, 259>;

// Keys Zustand from Schluessel (at least one byte). False, and Zustand untouched, for an empty key.
bool RCxSchluesseln(TRCxZustand& Zustand, std::span<const std::uint8_t> Schluessel);

// The process-wide state: keyed with the fixed start key before main runs.
const TRCxZustand& RCxGlobalerZustand();
// Keys the process-wide state anew.
bool RCxGlobalSchluesseln(std::span<const std::uint8_t> Schluessel);

// The start key: the GUID {6E2B9D41-A7C3-4F58-9B1E-3D80C5A27F64} as it lies in memory.
inline constexpr std::array<std::uint8_t, 16> RCxStartSchluessel = {
    0x41, 0x9D, 0x2B, 0x6E, 0xC3, 0xA7, 0x58, 0x4F, 0x9B, 0x1E, 0x3D, 0x80, 0xC5, 0xA2, 0x7F, 0x64};

}  // namespace kiro
