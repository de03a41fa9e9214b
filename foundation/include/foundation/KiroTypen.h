#pragma once
// The records shared by the product's programs: a data file's header, its authors and needed
// files, the name/value pair of the XML reader, and the program-file and application lists.
#include "foundation/Dateitypen.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>

namespace kiro {

// Days since 1899-12-30 as a double; the fraction is the time of day, 0 stands for no date.
// Kept as the original's value so dates compare and store exactly as they always did.
struct TDateTime {
  double Wert = 0.0;

  constexpr TDateTime() = default;
  constexpr explicit TDateTime(double w) : Wert(w) {}
  bool IstLeer() const { return Wert == 0.0; }

  // Exact to the millisecond, both ways (local time, no time zone shift). Before day 0 the
  // integer part is the day and the fraction's magnitude the time: -1.25 is 1899-12-29 06:00.
  // An invalid input gives 0; a value that is no date (NaN, beyond about 270,000 years) gives
  // invalid results. Datum() and Zeit() are exact for every wall-clock time; AlsQDateTime()
  // is in local time, where a time inside a daylight-saving gap moves as Qt moves it.
  static TDateTime AusQDateTime(const QDateTime& dt);
  static TDateTime AusDatum(const QDate& d);
  QDateTime AlsQDateTime() const;
  QDate Datum() const;
  QTime Zeit() const;

  friend bool operator==(TDateTime a, TDateTime b) { return a.Wert == b.Wert; }
  friend auto operator<=>(TDateTime a, TDateTime b) { return a.Wert <=> b.Wert; }
};

// Terms under which an author contributed to a data file (stored as its code, one byte).
enum TLizenz : std::uint8_t {
  Liz_Standard = 0,
  Liz_StandardGeldinPool = 1,
  Liz_StandardGeldanKiro = 2,
  Liz_StandardPublicDomain = 3,
  Liz_Kommerziell = 4,
  Liz_Privat = 5,
};

struct TAutor {
  std::int32_t AutorID = 0;
  QString Name;
  QString eMail;
  float AufwandAlt = 0;
  float AufwandPunkte = 0;
  float AufwandStunden = 0;
  QString Bemerkung;
  TLizenz Lizenz = Liz_Standard;
};
using TAutoren = QList<TAutor>;

// Base-folder codes of a file reference.
enum : std::uint8_t { Datenverzeichnis_Code = 0, Programmverzeichnis_Code = 1, DatenverzeichnisOffiziell_Code = 2 };

struct TDatei {
  QString Dateiname;
  std::uint8_t InstVerzeichnis = 0;  // 0 own data folder, 1 program folder, other: official data folder
  bool NurInfo = false;
};

// The folder a file reference is relative to (one of the three globals).
QString BasisVerzeichnis(const TDatei& Datei);

struct TInfo {
  QString DateiTyp;
  QString Dateiname;
  QString Version;
  QString MinVersion;
  float AufwandAlgo = 0;
  TAutoren Autoren;
  std::int32_t ObjektID = 0;
  TDateTime EinsatzAb;
  TDateTime EinsatzBis;
  QString Kategorie;
  QString Beschreibung;
  QList<TDatei> Dateien;
};

// One attribute or child element handed to a parser callback; a child element's Wert is "{{knoten}}".
struct TParse {
  QString Kennung;
  QString Wert;
};
inline constexpr const char16_t* KnotenMarke = u"{{knoten}}";

struct TUpdateDatei {
  QString Klarname;
  QString Datei;
  QString Startmenue;
  std::uint16_t Umfang = 0;
  std::uint8_t InstAuswahl = 0;
  std::uint32_t Hashwert = 0;
};

struct TAnwendungsDateityp {
  TDateiTyp DateiTyp = Datei_xml;
  QString RegSchluessel;
  QString Symbol;
  QString Anwendung;
};

// Run-time copies of the constant lists, filled once at start.
extern std::array<TUpdateDatei, 81> UpdateDateien;
extern std::array<TAnwendungsDateityp, 9> AnwendungsDateitypen;

}  // namespace kiro
