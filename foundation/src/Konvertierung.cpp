#include "foundation/Konvertierung.h"

#include "PfadRelativ.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Dateitypen.h"
#include "foundation/Formatieren.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"

#include <QDate>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <system_error>

namespace kiro {

namespace {

// The text as ASCII bytes, or nothing when it holds any other character: no digit outside
// ASCII belongs to a number in a data file.
std::optional<std::string> AlsAscii(const QString& Text) {
  std::string s;
  s.reserve(std::size_t(Text.size()));
  for (QChar c : Text) {
    if (c.unicode() >= 0x80 || c.unicode() == 0) return std::nullopt;
    s.push_back(char(c.unicode()));
  }
  return s;
}

std::string_view OhneBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

void Melden(int Fehlercode, const char* Schluessel, const QString& Wert) {
  const QString vorlage = Text(QStringLiteral("KiroAllgStandardoperationen.") + QLatin1String(Schluessel));
  ProtokollierenFehler(Fehlercode, Formatieren(vorlage, {Wert}), 2);
}

template <typename Ganz>
std::optional<Ganz> GanzeZahl(const QString& Text) {
  const auto ascii = AlsAscii(Text);
  if (!ascii) return std::nullopt;
  std::string_view s = OhneBlanks(*ascii);
  // from_chars knows "-" only; a "+" must be followed by a digit, so "+-5" stays bad.
  if (s.size() > 1 && s[0] == '+' && s[1] >= '0' && s[1] <= '9') s.remove_prefix(1);
  Ganz wert{};
  const auto [ende, fehler] = std::from_chars(s.data(), s.data() + s.size(), wert, 10);
  if (s.empty() || fehler != std::errc() || ende != s.data() + s.size()) return std::nullopt;
  return wert;
}

// [sign] (digits [. digits] | . digits) [(e|E) [sign] digits], "." as separator. Checked by
// hand, because from_chars would also take "inf" and "nan".
bool IstGleitkommaText(std::string_view s) {
  std::size_t i = 0;
  auto ziffern = [&] {
    const std::size_t a = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i - a;
  };
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t n = ziffern();
  if (i < s.size() && s[i] == '.') {
    ++i;
    n += ziffern();
  }
  if (n == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (ziffern() == 0) return false;
  }
  return i == s.size();
}

std::optional<double> Gleitkomma(std::string_view s) {
  if (!IstGleitkommaText(s)) return std::nullopt;
  if (s[0] == '+') s.remove_prefix(1);
  double wert = 0;
  const auto [ende, fehler] = std::from_chars(s.data(), s.data() + s.size(), wert, std::chars_format::general);
  if (fehler != std::errc() || ende != s.data() + s.size()) return std::nullopt;
  return wert;
}

// Reads 'min' to 'max' decimal digits at position i.
std::optional<int> Ziffern(const QString& t, qsizetype& i, int min, int max) {
  int wert = 0, n = 0;
  while (i < t.size() && n < max && t[i] >= u'0' && t[i] <= u'9') {
    wert = wert * 10 + (t[i].unicode() - u'0');
    ++i;
    ++n;
  }
  if (n < min) return std::nullopt;
  return wert;
}

bool Folgt(const QString& t, qsizetype& i, char16_t c) {
  if (i >= t.size() || t[i] != c) return false;
  ++i;
  return true;
}

// "yyyy-mm-dd" [blanks "hh:nn" [":ss" [":zzz"]]]; the whole text must be used.
std::optional<double> DatumZeitLesen(const QString& t) {
  qsizetype i = 0;
  const auto jahr = Ziffern(t, i, 4, 4);
  if (!jahr || !Folgt(t, i, u'-')) return std::nullopt;
  const auto monat = Ziffern(t, i, 1, 2);
  if (!monat || !Folgt(t, i, u'-')) return std::nullopt;
  const auto tag = Ziffern(t, i, 1, 2);
  if (!tag) return std::nullopt;
  const QDate datum(*jahr, *monat, *tag);
  if (*jahr < 1 || !datum.isValid()) return std::nullopt;

  qint64 ms = 0;
  if (i < t.size()) {
    if (t[i] != u' ') return std::nullopt;
    while (i < t.size() && t[i] == u' ') ++i;
    const auto std_ = Ziffern(t, i, 1, 2);
    if (!std_ || !Folgt(t, i, u':')) return std::nullopt;
    const auto min = Ziffern(t, i, 1, 2);
    if (!min) return std::nullopt;
    int sek = 0, milli = 0;
    if (Folgt(t, i, u':')) {
      const auto s = Ziffern(t, i, 1, 2);
      if (!s) return std::nullopt;
      sek = *s;
      if (Folgt(t, i, u':')) {
        const auto z = Ziffern(t, i, 1, 3);
        if (!z) return std::nullopt;
        milli = *z;
      }
    }
    if (i != t.size() || *std_ > 23 || *min > 59 || sek > 59) return std::nullopt;
    ms = ((qint64(*std_) * 60 + *min) * 60 + sek) * 1000 + milli;
  }
  // Days since 1899-12-30; before that day the time of day still counts away from zero, as
  // the value has always been encoded.
  const double tage = double(QDate(1899, 12, 30).daysTo(datum));
  const double zeit = double(ms) / 86400000.0;
  return tage < 0 ? tage - zeit : tage + zeit;
}

qsizetype LetzterTrenner(const QString& Pfad) {
  return std::max(Pfad.lastIndexOf(u'\\'), Pfad.lastIndexOf(u'/'));
}

}  // namespace

QString GrossAZ(const QString& Text) {
  QString s = Text;
  for (QChar& c : s)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
  return s;
}

std::int32_t StrToIntSicher(const QString& Text) {
  if (Text.isEmpty()) return 0;
  if (const auto w = GanzeZahl<std::int32_t>(Text)) return *w;
  Melden(0, "Integer", Text);
  return 0;
}

std::int64_t StrToInt64Sicher(const QString& Text) {
  if (Text.isEmpty()) return 0;
  if (const auto w = GanzeZahl<std::int64_t>(Text)) return *w;
  Melden(0, "Integer", Text);
  return 0;
}

double StrToFloatPunkt(const QString& Text) {
  if (Text.isEmpty()) return 0;
  if (const auto ascii = AlsAscii(Text)) {
    std::string s(OhneBlanks(*ascii));
    // Every caller keeps a Single: a number beyond its range would become infinity there.
    const auto einzel = [](std::optional<double> w) {
      return w && std::abs(*w) <= double(std::numeric_limits<float>::max()) ? w : std::nullopt;
    };
    if (const auto w = einzel(Gleitkomma(s))) return *w;
    // Second try with "," as the separator: then a "." can only be a thousands separator.
    const auto komma = s.find(',');
    if (komma != std::string::npos && s.find('.') == std::string::npos) {
      s[komma] = '.';
      if (const auto w = einzel(Gleitkomma(s))) return *w;
    }
  }
  // No system call took part, so no system error text belongs to this line.
  Melden(0, "Single", Text);
  return 0;
}

TDateTime TextZuZeitDatum(const QString& Text, bool Millisekunden) {
  (void)Millisekunden;  // picks the long time format only; both read milliseconds
  const QString t = Trimmen(Text, true);
  if (const auto w = DatumZeitLesen(t)) return TDateTime(*w);
  Melden(0, "DateTime", t);
  return TDateTime(0.0);
}

TDateTime TextZuZeitDatumSekunden(const QString& Text) { return TextZuZeitDatum(Text, false); }

bool StrToBoolEins(const QString& Text) { return Text == u"1"; }

QString GeschwindigkeitAlsText(float Geschwindigkeit, bool RohwertZeigen) {
  double wert = Geschwindigkeit;
  if (Geschwindigkeit < 0) {
    if (!RohwertZeigen) return QStringLiteral("oo");
  } else {
    wert *= 3.6;
  }
  if (!std::isfinite(wert)) return QStringLiteral("oo");
  // nearbyint rounds halves to even in the default rounding mode; "+ 0.0" turns -0 into 0.
  wert = std::nearbyint(wert) + 0.0;
  char puffer[400];
  const auto [ende, fehler] = std::to_chars(puffer, puffer + sizeof puffer, wert, std::chars_format::fixed, 0);
  if (fehler != std::errc()) return QStringLiteral("oo");
  return QString::fromLatin1(puffer, ende - puffer);
}

void TextZuListe(const QString& Text, QStringList& Liste) {
  Liste.clear();
  QString teil;
  for (QChar c : Text) {
    if (c == u';') {
      Liste.append(teil);
      teil.clear();
    } else {
      teil.append(c);
    }
  }
  if (!teil.isEmpty()) Liste.append(teil);
}

QString ListeZuText(const QStringList& Liste) {
  QString text;
  for (const QString& eintrag : Liste) {
    QString e = eintrag;
    e.replace(u';', u',');
    text += e + u';';
  }
  return text;
}

std::int32_t HexZuInt(const QString& Text) {
  std::uint32_t wert = 0;
  const qsizetype n = Text.size();
  // Only the last eight digits fit; anything that is no hexadecimal digit counts as 0.
  for (qsizetype k = 0; k < n && k < 8; ++k) {
    char16_t c = Text[n - 1 - k].unicode();
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
    std::uint32_t ziffer = 0;
    if (c >= u'0' && c <= u'9')
      ziffer = c - u'0';
    else if (c >= u'a' && c <= u'f')
      ziffer = c - u'a' + 10;
    wert |= ziffer << (4 * k);
  }
  return std::int32_t(wert);
}

QString RelativerPfad(const QString& Pfad) {
  if (!DatenverzeichnisOffiziell.isEmpty() && Pfad.startsWith(DatenverzeichnisOffiziell))
    return RelativZuOrdner(DatenverzeichnisOffiziell, Pfad);
  return RelativZuOrdner(Datenverzeichnis, Pfad);
}

QString OffiziellerPfad(const QString& Name) { return DatenverzeichnisOffiziell + Name; }

bool BekannterDateityp(const QString& Datei, bool NurMarkierte) {
  const QString name = Datei.mid(LetzterTrenner(Datei) + 1);
  const qsizetype punkt = name.lastIndexOf(u'.');
  if (punkt < 0) return false;
  const QString endung = GrossAZ(name.mid(punkt));
  for (const TDateiTypensDef& zeile : DateiTypenTabelle) {
    if ((zeile.ASCII_xml || !NurMarkierte) && GrossAZ(u'.' + zeile.Suffix) == endung) return true;
  }
  if (NurMarkierte) return false;
  static const char16_t* const weitere[] = {u".XCF", u".JPG", u".GIF", u".JS", u".CSS",
                                            u".WOFF", u".WOFF2", u".ZDA", u".OGG"};
  for (const char16_t* e : weitere)
    if (endung == QStringView(e)) return true;
  return false;
}

bool UmlauteErsetzen(const QString& Text, QString& Ergebnis) {
  QString aus;
  aus.reserve(Text.size());
  bool irgendwas = false;
  for (QChar c : Text) {
    bool ersetzt = true;
    switch (c.unicode()) {
      case u'Ä': aus += QStringLiteral("Ae"); break;
      case u'Ö': aus += QStringLiteral("Oe"); break;
      case u'Ü': aus += QStringLiteral("Ue"); break;
      case u'ä': aus += QStringLiteral("ae"); break;
      case u'ö': aus += QStringLiteral("oe"); break;
      case u'ü': aus += QStringLiteral("ue"); break;
      case u'ß': aus += QStringLiteral("ss"); break;
      default:
        aus += c;
        ersetzt = false;
    }
    irgendwas = irgendwas || ersetzt;
  }
  Ergebnis = aus;
  return irgendwas;
}

bool DateinameBereinigen(const QString& Pfad, QString& Ergebnis, bool Streng) {
  const qsizetype trenner = LetzterTrenner(Pfad);
  const QString ordner = Pfad.left(trenner + 1);
  QString name;
  bool geaendert = UmlauteErsetzen(Pfad.mid(trenner + 1), name);
  QString sauber;
  sauber.reserve(name.size());
  for (QChar c : name) {
    const char16_t u = c.unicode();
    const bool erlaubt = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') ||
                         u == u'-' || u == u'.' || u == u'_' || (u == u' ' && !Streng);
    if (erlaubt)
      sauber += c;
    else
      geaendert = true;
  }
  // A cleaned name must still name a file inside the folder part.
  if (sauber.isEmpty() || sauber == u".") {
    sauber = QStringLiteral("_");
    geaendert = true;
  } else if (sauber == u"..") {
    sauber = QStringLiteral("__");
    geaendert = true;
  }
  Ergebnis = ordner + sauber;
  return geaendert;
}

QString SichererDateiname(const QString& Pfad) {
  QString ergebnis;
  DateinameBereinigen(Pfad, ergebnis, true);
  return ergebnis;
}

int ZeichenZaehlen(QChar Zeichen, const QString& Text) { return int(Text.count(Zeichen)); }

}  // namespace kiro
