#pragma once
// The event table of the product's shared types: its rows supply built-in texts of the text
// catalogue ("Er_Sg_", "Er_Tx_", "Er_Bz_" with the event number) for the programs that sell
// them, which are the rows with element 0 in Kommerzmodus.
#include <QString>

#include <array>
#include <cstdint>

namespace kiro {

enum class TEreignisTyp : std::uint8_t { Fahrzeug, Strecke, Fahrplan, Signal, System };
enum class TFunktionstyp : std::uint8_t { Keine, Single, String, SingleString };

struct TEreignisDef {
  std::int32_t Ereignis = 0;
  TEreignisTyp Typ = TEreignisTyp::Fahrzeug;
  QString FunktionSingle;
  TFunktionstyp Funktionstyp = TFunktionstyp::Keine;
  QString FunktionString;
  std::uint8_t Kommerzmodus = 0;  // set of modes, bit i = element i
  QString Bezeichnung;
};

inline constexpr int EreignisAnzahl = 115;

// The 115 rows, built once on first use.
const std::array<TEreignisDef, EreignisAnzahl>& EreignisDefinitionen();

}  // namespace kiro
