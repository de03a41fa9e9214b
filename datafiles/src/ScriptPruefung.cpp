// Checked reading of downloaded install scripts.
#include "datafiles/ScriptPruefung.h"

#include "foundation/Formatieren.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"

#include <QFile>

#include <cstdint>
#include <limits>

namespace kiro {

namespace {

// The kernel's limits, in bytes: one component (NAME_MAX) and a whole path with its NUL (PATH_MAX).
constexpr qsizetype kNamenHoechstens = 255;
constexpr qsizetype kPfadHoechstens = 4096;

// A CRC-32 written signed (-1) or unsigned (4294967295) is both fine; anything wider only
// became a 32-bit number by losing bits. 0, also as an absent attribute (writers leave zero
// values out), is the CRC-32 of an empty file: since a missing file never matches, it is safe.
bool HashwertBrauchbar(const TScriptDateiInfo& Eintrag) {
  const std::int64_t w = Eintrag.HashwertGelesen;
  return Eintrag.HashwertUmgewandelt && w >= std::numeric_limits<std::int32_t>::min() &&
         w <= std::int64_t(std::numeric_limits<std::uint32_t>::max());
}

}  // namespace

bool ScriptDateinameZulaessig(const QString& Dateiname) {
  if (Dateiname.endsWith(u'\\') || Dateiname.endsWith(u'/')) return false;
  // No file system here holds a longer name; checked before the name goes anywhere else.
  if (Dateiname.size() >= kPfadHoechstens || QFile::encodeName(Dateiname).size() >= kPfadHoechstens) return false;
  const std::optional<QStringList> teile = SichereKomponenten(Dateiname);
  if (!teile) return false;
  for (const QString& teil : *teile)
    if (QFile::encodeName(teil).size() > kNamenHoechstens) return false;
  return true;
}

TGeprueftesScript GeprueftesScriptLaden(const QString& Ordner, const QString& DateiName) {
  TGeprueftesScript erg;
  erg.Script = std::make_unique<TScript>();
  erg.Script->SetExterneDateienIgnorieren(true);
  erg.Gefunden = erg.Script->LadenDatei(Ordner, DateiName, nullptr) == S_OK;
  erg.IgnorierteExterneDateien = erg.Script->IgnorierteExterneDateien();
  erg.Vollstaendig = erg.Script->LadenVollstaendig() && erg.IgnorierteExterneDateien.isEmpty();
  for (const auto& kommando : erg.Script->Kommandos) {
    const auto* eintrag = dynamic_cast<const TScriptDateiInfo*>(kommando.get());
    if (!eintrag) continue;
    if (!ScriptDateinameZulaessig(eintrag->Datei.Dateiname)) {
      Protokollieren(
          QString(),
          Formatieren(QStringLiteral("Script \"%s\": unzulässiger Dateiname \"%s\", Eintrag nicht verwendet"),
                      {DateiName, eintrag->Datei.Dateiname}),
          2);
      erg.Abgelehnt << eintrag;
      continue;
    }
    if (!HashwertBrauchbar(*eintrag)) {
      Protokollieren(QString(),
                     Formatieren(QStringLiteral("Script \"%s\": Eintrag \"%s\" ohne gültigen Hashwert"),
                                 {DateiName, eintrag->Datei.Dateiname}),
                     2);
      erg.OhneHashwert << eintrag;
    }
    erg.Dateien << eintrag;
  }
  return erg;
}

}  // namespace kiro
