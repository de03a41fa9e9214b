#pragma once
// The 66 file types of the product and their table.
#include <QString>

#include <array>
#include <cstdint>

namespace kiro {

enum TDateiTyp : std::uint8_t {
  Datei_st2 = 0,
  Datei_st3 = 1,
  Datei_ls3 = 2,
  Datei_lod_ls3 = 3,
  Datei_lod0_ls3 = 4,
  Datei_lod1_ls3 = 5,
  Datei_lod2_ls3 = 6,
  Datei_lod3_ls3 = 7,
  Datei_ftd = 8,
  Datei_rv_fzg = 9,
  Datei_fzg = 10,
  Datei_trn = 11,
  Datei_fpn = 12,
  Datei_zup = 13,
  Datei_mfa = 14,
  Datei_xml = 15,
  Datei_dds = 16,
  Datei_wav = 17,
  Datei_dem = 18,
  Datei_trf = 19,
  Datei_png = 20,
  Datei_turnout_xml = 21,
  Datei_signal_xml = 22,
  Datei_shape_xml = 23,
  Datei_platform_xml = 24,
  Datei_retainingwall_xml = 25,
  Datei_forest_xml = 26,
  Datei_material_xml = 27,
  Datei_switchgen_xml = 28,
  Datei_input_xml = 29,
  Datei_joystick_xml = 30,
  Datei_raildriver_xml = 31,
  Datei_pdf = 32,
  Datei_script_xml = 33,
  Datei_kiro2files_xml = 34,
  Datei_exe = 35,
  Datei_link_txt = 36,
  Datei_txt = 37,
  Datei_x = 38,
  Datei_3D = 39,
  Datei_csv = 40,
  Datei_DDrawKompatibel = 41,
  Datei_htm = 42,
  Datei_alle = 43,
  Datei_7z = 44,
  Datei_levelcrossing_xml = 45,
  Datei_timetable_xml = 46,
  Datei_authority_xml = 47,
  Datei_result_xml = 48,
  Datei_gpa_xml = 49,
  Datei_font_xml = 50,
  Datei_bmp = 51,
  Datei_lsb = 52,
  Datei_trn_xml = 53,
  Datei_travellers_xml = 54,
  Datei_author_xml = 55,
  Datei_signals_xml = 56,
  Datei_BuchfahrplanBitmaps = 57,
  Datei_output_xml = 58,
  Datei_za7 = 59,
  Datei_Fahrplansammlung_xml = 60,
  Datei_best_xml = 61,
  Datei_fpn_xml = 62,
  Datei_expense_xml = 63,
  Datei_dll = 64,
  Datei_cab_xml = 65,
};

inline constexpr int DateiTypAnzahl = 66;

// One row of the file-type table.
struct TDateiTypensDef {
  bool KiroBasisdatei;
  QString PreSuffix;        // Suffix without its last point-separated part
  QString Suffix;           // without the leading point; "*" for all files
  QString Klartext;         // caption; follows the text catalogue's language
  QString Dialogtext;       // file-dialog mask(s), joined by "; "
  QString DateiVersion;     // current file-format version, "" where the type has none
  QString MinDateiVersion;  // oldest version a reader still accepts
  QString ExeDateiVersion;
  QString TypKuerzel;       // content element name and the header's "DateiTyp" value
  bool ASCII_xml;           // a text XML data file of the product's dialect
  std::uint16_t Umfang;     // selection set, bit i = element i
  std::uint8_t InstAuswahl;  // second selection set
};

// Indexed by TDateiTyp. Only the text catalogue's load writes a column (Klartext).
extern std::array<TDateiTypensDef, DateiTypAnzahl> DateiTypenTabelle;

}  // namespace kiro
