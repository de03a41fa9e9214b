// Writing half of TKiroXML: the file layout, the typed attribute writers and the converters.
#include "datafiles/KiroXML.h"
#include "KiroXMLSchreiber.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Einstellungen.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Textdatei.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>
#include <cmath>

namespace kiro {

namespace {

TPiepHook& Piep() {
  static TPiepHook hook;
  return hook;
}

bool DokuModus() { return Einstellungen && Einstellungen->DokuModus; }

// Fixed-point text with Dezimalen decimals, rounded once: to Dezimalen decimals or to 12
// significant digits, whichever leaves fewer digits. A value that rounds to zero has no sign.
QString FestText(double d, int Dezimalen) {
  if (std::isnan(d)) return QStringLiteral("NAN");
  if (std::isinf(d)) return d > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  char puffer[512];
  const auto wiss = std::to_chars(puffer, puffer + sizeof puffer, d, std::chars_format::scientific, 11);
  *wiss.ptr = 0;
  const char* e = std::strchr(puffer, 'e');
  const int exponent = std::atoi(e + 1);
  std::string text;
  if (exponent + 1 > 12 - Dezimalen) {
    // Too many integer digits for Dezimalen decimals within 12 significant ones.
    const bool negativ = puffer[0] == '-';
    std::string ziffern;
    for (const char* p = puffer; p < e; ++p)
      if (*p >= '0' && *p <= '9') ziffern += *p;
    const int ganz = exponent + 1;
    std::string vorne = ziffern.substr(0, std::min<std::size_t>(ziffern.size(), std::size_t(ganz)));
    while (int(vorne.size()) < ganz) vorne += '0';
    std::string hinten = int(ziffern.size()) > ganz ? ziffern.substr(std::size_t(ganz)) : std::string();
    while (int(hinten.size()) < Dezimalen) hinten += '0';
    text = (negativ ? "-" : "") + vorne + "." + hinten;
  } else {
    const auto fest = std::to_chars(puffer, puffer + sizeof puffer, d, std::chars_format::fixed, Dezimalen);
    text.assign(puffer, fest.ptr);
  }
  if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString Zweistellig(std::int64_t n, int stellen) { return QString::number(n).rightJustified(stellen, u'0'); }

}  // namespace

TPiepHook PiepHookSetzen(TPiepHook Hook) { return std::exchange(Piep(), std::move(Hook)); }

void Piepen(int FrequenzHz, int DauerMs) {
  if (Piep()) Piep()(FrequenzHz, DauerMs);
}

void TKiroXML::Ausgeben(const QString& Text) {
  if (!StreamWriter) return;
  StreamWriter->Inhalt += Text.toUtf8();
}

bool TKiroXML::SpeichernDatei(const QString& Pfad, const QString& DateiName, const TSpeicherProc& SpeicherProc,
                              void* pDaten) {
  // Names keep their Windows form in data files; the file system wants "/".
  FFehlergrund.clear();
  QString name = SichererDateiname(DateiName).replace(u'\\', u'/');
  QString ordner = Pfad;
  if (DokuModus()) {
    name = QFileInfo(name).fileName() + QStringLiteral(".schema.xml");
    if (Piep()) {
      Piep()(1000, 100);
      Piep()(150, 100);
      Piep()(1000, 100);
    }
    ordner = Programmverzeichnis + QStringLiteral("_Docu/xml/");
    Protokollieren(QString(), ordner + name, 0);
  }
  const QString pfad = name.startsWith(u'/') ? name : ordner + name;
  const QString ordnerTeil = QFileInfo(pfad).path();
  if (!QFileInfo::exists(ordnerTeil)) VerzeichnisAnlegen(ordnerTeil);

  const QString relativ = QDir(Datenverzeichnis.isEmpty() ? QStringLiteral(".") : Datenverzeichnis).relativeFilePath(
      QFileInfo(pfad).absoluteFilePath());
  if (relativ.size() > 170)
    Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.DateiZuLang")), {relativ, 170}), 2);
  Protokollieren(QString(), Formatieren(QStringLiteral("Saving %s"), {pfad}), 5);
  if (!Geschuetzt.isEmpty() && QFileInfo(pfad).canonicalFilePath() == Geschuetzt) {
    Protokollieren(QStringLiteral("beim Laden nicht verlustfrei gelesen"),
                   Formatieren(Text(QStringLiteral("KiroXML.DateiSpeichern")), {pfad}), 2);
    return false;
  }

  bool ok = false;
  try {
    // The document is complete before the file is touched; the one replace routine of every
    // save writes it beside the old file and renames it over it, keeping the old file's mode.
    StreamWriter = std::make_unique<TSchreiber>();
    StreamWriter->Inhalt = QByteArrayLiteral("\xEF\xBB\xBF");
    Ausgeben(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?"));
    SpeichernXML(QStringLiteral("Kiro"), SpeicherProc, pDaten, name);
    Ausgeben(QStringLiteral(">\r\n"));
    const QByteArray inhalt = std::move(StreamWriter->Inhalt);
    StreamWriter.reset();
    ok = DateiErsetzen(pfad, inhalt, &FFehlergrund);
  } catch (...) {
    ok = false;
    StreamWriter.reset();
  }
  if (!ok) Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.DateiSpeichern")), {pfad}), 2);
  return ok;
}

bool TKiroXML::SpeichernXML(const QString& Knotenname, const TSpeicherProc& SpeicherProc, void* pDatenPtr,
                            const QString& Dateiname) {
  (void)Dateiname;
  Ausgeben(QStringLiteral(">\r\n<") + Knotenname);
  const bool endeTag = SpeicherProc ? SpeicherProc(pDatenPtr) : false;
  if (endeTag)
    Ausgeben(QStringLiteral(">\r\n</") + Knotenname);
  else
    Ausgeben(QStringLiteral("/"));
  return true;
}

QString TKiroXML::Maskieren(const QString& Wert) {
  QString w = Wert;
  w.replace(u'&', QStringLiteral("&amp;"));
  w.replace(u'<', QStringLiteral("&lt;"));
  w.replace(u'>', QStringLiteral("&gt;"));
  w.replace(u'"', QStringLiteral("&quot;"));
  w.replace(u'\'', QStringLiteral("&apos;"));
  return w;
}

void TKiroXML::SchreibeAttribut(const QString& Kennung, const QString& Wert) {
  const QString w = Maskieren(Wert);
  if (w.isEmpty()) return;
  Ausgeben(u' ' + Kennung + QStringLiteral("=\"") + w + u'"');
}

void TKiroXML::Schreibe(const QString& Kennung, const QString& Wert) {
  SchreibeAttribut(Kennung, DokuModus() ? QStringLiteral("string") : Wert);
}

void TKiroXML::SchreibeInt(const QString& Kennung, std::int32_t Wert) {
  if (DokuModus() || Wert != 0) SchreibeAttribut(Kennung, KonvertiereInt(Wert));
}

void TKiroXML::SchreibeIntEnum(const QString& Kennung, std::int32_t Wert) {
  if (DokuModus() || Wert != 0) SchreibeAttribut(Kennung, KonvertiereIntEnum(Wert));
}

void TKiroXML::SchreibeInt(const QString& Kennung, std::int64_t Wert) {
  if (DokuModus() || Wert != 0) SchreibeAttribut(Kennung, KonvertiereInt(Wert));
}

void TKiroXML::SchreibeD3DColor(const QString& Kennung, std::uint32_t Wert) {
  if (DokuModus() || Wert != 0) SchreibeAttribut(Kennung, KonvertiereD3DColor(Wert));
}

void TKiroXML::SchreibeFloat(const QString& Kennung, float Wert) {
  if (DokuModus())
    SchreibeAttribut(Kennung, KonvertiereFloat(Wert));
  else if (Wert != 0.0f)
    SchreibeAttribut(Kennung, NullenEntfernen(KonvertiereFloat(Wert)));
}

void TKiroXML::SchreibeFloat6(const QString& Kennung, float Wert) {
  if (DokuModus())
    SchreibeAttribut(Kennung, KonvertiereFloat6(Wert));
  else if (Wert != 0.0f)
    SchreibeAttribut(Kennung, NullenEntfernen(KonvertiereFloat6(Wert)));
}

void TKiroXML::SchreibeBool(const QString& Kennung, bool Wert) {
  if (DokuModus())
    SchreibeAttribut(Kennung, QStringLiteral("bool"));
  else if (Wert)
    SchreibeAttribut(Kennung, QStringLiteral("1"));
}

void TKiroXML::SchreibeZeitDatum(const QString& Kennung, double Wert, bool Millisekunden) {
  if (DokuModus() || Wert != 0.0) SchreibeAttribut(Kennung, KonvertiereZeitDatum(Wert, Millisekunden));
}

QString TKiroXML::KonvertiereInt(std::int32_t Wert) {
  return DokuModus() ? QStringLiteral("integer") : QString::number(Wert);
}

QString TKiroXML::KonvertiereIntEnum(std::int32_t Wert) {
  return DokuModus() ? QStringLiteral("integer enum") : QString::number(Wert);
}

QString TKiroXML::KonvertiereInt(std::int64_t Wert) {
  return DokuModus() ? QStringLiteral("integer 64bit") : QString::number(qlonglong(Wert));
}

QString TKiroXML::KonvertiereCardinal(std::uint32_t Wert) {
  return DokuModus() ? QStringLiteral("Cardinal") : QString::number(Wert);
}

QString TKiroXML::KonvertiereD3DColor(std::uint32_t Wert) {
  return DokuModus() ? QStringLiteral("D3DColor") : QString::number(Wert, 16).toUpper().rightJustified(8, u'0');
}

QString TKiroXML::KonvertiereFloat(float Wert) {
  return DokuModus() ? QStringLiteral("single") : FestText(double(Wert), 4);
}

QString TKiroXML::KonvertiereFloat6(float Wert) {
  return DokuModus() ? QStringLiteral("single, 6 decimal places") : FestText(double(Wert), 6);
}

QString TKiroXML::KonvertiereBool(bool Wert) { return DokuModus() ? QStringLiteral("bool") : BoolAlsText(Wert); }

// Days since 1899-12-30, the fraction the time of day; exactly midnight gives the date alone.
// A value outside the years 1 to 9999 (or not a number) has no text.
QString TKiroXML::KonvertiereZeitDatum(double Wert, bool Millisekunden) {
  if (DokuModus()) return QStringLiteral("date,time");
  constexpr std::int64_t MS_TAG = 86400000;
  if (!(Wert > -693594.0 && Wert < 2958466.0)) return {};
  const std::int64_t gesamt = std::llround(Wert * double(MS_TAG));
  std::int64_t tag = gesamt / MS_TAG;
  const std::int64_t ms = (gesamt < 0 ? -gesamt : gesamt) % MS_TAG;
  // Civil date of a day count (days since 1970-01-01 after the shift).
  std::int64_t z = tag - 25569 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t jahr = yoe + era * 400;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t t = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++jahr;
  QString text = Zweistellig(jahr, 4) + u'-' + Zweistellig(m, 2) + u'-' + Zweistellig(t, 2);
  if (ms == 0) return text;
  text += u' ' + Zweistellig(ms / 3600000, 2) + u':' + Zweistellig(ms / 60000 % 60, 2) + u':' +
          Zweistellig(ms / 1000 % 60, 2);
  if (Millisekunden) text += u':' + Zweistellig(ms % 1000, 3);
  return text;
}

QString TKiroXML::NullenEntfernen(const QString& Text) {
  if (!Text.contains(u'.')) return Text;
  qsizetype n = Text.size();
  while (n > 0 && Text.at(n - 1) == u'0') --n;
  if (n > 0 && Text.at(n - 1) == u'.') --n;
  return Text.left(n);
}

QString TKiroXML::BoolAlsText(bool Wert) { return Wert ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace kiro
