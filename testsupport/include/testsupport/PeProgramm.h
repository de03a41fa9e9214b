#pragma once
// Windows programs for tests: a small PE32 file with a version resource, made with mingw-w64's
// windres, as and ld at test time (the product's program files are such files).
#include <QString>

#include <cstdint>

namespace kiro::test {

// Writes the program Ziel whose fixed file version is Haupt.Neben.Release.Build; the work files
// go into Ziel's folder. On failure returns false and puts the tools' output into *Fehler.
bool PeProgrammBauen(const QString& Ziel, std::uint16_t Haupt, std::uint16_t Neben, std::uint16_t Release,
                     std::uint16_t Build, QString* Fehler = nullptr);

}  // namespace kiro::test
