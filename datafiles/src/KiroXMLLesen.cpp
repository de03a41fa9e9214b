// Reading half of TKiroXML: the character source and the element-level grammar.
#include "datafiles/KiroXML.h"
#include "KiroXMLSchreiber.h"

#include "foundation/Formatieren.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace kiro {

TEingebundeneDateien* EingebundeneDateien = nullptr;

QString EingebundeneDateiSuchen(const TEingebundeneDateien* Speicher, const QString& DateiName) {
  if (!Speicher) return {};
  QString gross = DateiName;
  for (QChar& c : gross)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
  const qsizetype i = Speicher->Namen.indexOf(gross);
  return i >= 0 && i < Speicher->Texte.size() ? Speicher->Texte.at(i) : QString();
}

namespace {

constexpr char16_t ESC = 0x1B;
constexpr char16_t CR = 0x0D;
constexpr char16_t LF = 0x0A;
constexpr char16_t ERSATZ = 0xFFFD;
const QString KNOTEN = QString::fromUtf16(KnotenMarke);

// Bit 0: name terminator; bit 1: whitespace; bit 2: line break (file text only).
struct TZeichenklassen {
  unsigned char k[128] = {};
  constexpr TZeichenklassen() {
    for (char c : {'\t', '\r', ' ', '"', '\'', '/', '<', '=', '>'}) k[int(c)] |= 1;
    for (char c : {'\t', '\r', ' '}) k[int(c)] |= 2;
    k[int('\r')] |= 4;
    k[int('\n')] |= 4;
  }
};
constexpr TZeichenklassen KLASSEN;

inline bool IstTerminator(char16_t c) { return c < 128 && (KLASSEN.k[c] & 1); }
inline bool IstLeerraum(char16_t c) { return c < 128 && (KLASSEN.k[c] & 2); }

// Empties a text that is about to be read anew. A text a callback still shares is let go instead
// of copied, and the next read sizes the new one to fit.
inline void Leeren(QString& s) {
  if (s.isDetached())
    s.resize(0);
  else
    s = QString();
}

// "&lt;" "&gt;" "&quot;" "&apos;" "&amp;", one pass from the left, nothing else.
void EntitaetenDekodieren(QString& s) {
  qsizetype amp = s.indexOf(u'&');
  if (amp < 0) return;
  static const struct { QStringView Name; QChar Zeichen; } tabelle[] = {
      {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}, {u"&amp;", u'&'}};
  QString aus;
  aus.reserve(s.size());
  const QStringView v(s);
  qsizetype i = 0;
  while (amp >= 0) {
    aus += v.mid(i, amp - i);
    i = amp;
    bool gefunden = false;
    for (const auto& e : tabelle) {
      if (v.mid(i).startsWith(e.Name)) {
        aus += e.Zeichen;
        i += e.Name.size();
        gefunden = true;
        break;
      }
    }
    if (!gefunden) {
      aus += u'&';
      ++i;
    }
    amp = s.indexOf(u'&', i);
  }
  aus += v.mid(i);
  s = std::move(aus);
}

}  // namespace

// The decoded text of the file (or of the embedded store) and where delivery stands in it.
struct TKiroXML::TLeser {
  enum TKodierung { Utf8, Utf16LE, Utf16BE };
  static constexpr std::size_t PUFFER = 4096;  // bytes per read

  int fd = -1;
  TKodierung Kodierung = Utf8;
  bool Eingebettet = false;
  bool DateiEnde = false;   // no more bytes to read
  bool ZeileOffen = false;  // a character of the current line has been delivered
  bool Kodierfehler = false;
  bool Lesefehler = false;
  int LesefehlerNummer = 0;
  std::vector<char16_t> Text;  // decoded characters; delivery position Pos, valid up to Len
  std::size_t Pos = 0, Len = 0;
  std::u16string Sammel;  // the name or value being read, before it becomes a QString
  // Names and short values repeat from element to element; one shared QString per recent text
  // saves an allocation for each.
  static constexpr std::size_t MERKEN = 256, MERKEN_LAENGE = 32;
  QString Gemerkt[MERKEN];
  unsigned char Rest[4] = {};  // bytes of an incomplete sequence at the end of the last read
  int RestLen = 0;
  bool Anfang = true;
  // With UmbruecheMerken the line breaks that the last slow step swallowed before the character
  // it delivered (that character's AktZaehler in UmbruchBei), exactly as the file has them.
  bool UmbruecheMerken = false;
  std::u16string Umbrueche;
  std::uint32_t UmbruchBei = 0;

  ~TLeser() {
    if (fd >= 0) ::close(fd);
  }

  // Reads until the buffer is full or the file ends; false on a read error.
  bool Roh(unsigned char* ziel, std::size_t max, std::size_t& n) {
    n = 0;
    while (n < max) {
      const ssize_t r = ::read(fd, ziel + n, max - n);
      if (r < 0) {
        if (errno == EINTR) continue;
        LesefehlerNummer = errno;
        return false;
      }
      if (r == 0) {
        DateiEnde = true;
        break;
      }
      n += std::size_t(r);
    }
    return true;
  }

  void Utf8Dekodieren(const unsigned char* b, std::size_t n, bool letzter) {
    std::size_t i = 0;
    char16_t* aus = Text.data() + Len;
    while (i < n) {
      // Data files are nearly all ASCII: widen 16 bytes at a time while no byte has its high bit.
      while (i + 16 <= n) {
        std::uint64_t a, z;
        std::memcpy(&a, b + i, 8);
        std::memcpy(&z, b + i + 8, 8);
        if ((a | z) & 0x8080808080808080ull) break;
        for (int j = 0; j < 16; ++j) aus[j] = b[i + std::size_t(j)];
        aus += 16;
        i += 16;
      }
      if (i >= n) break;
      const unsigned char c = b[i];
      if (c < 0x80) {
        *aus++ = c;
        ++i;
        continue;
      }
      int laenge;
      unsigned char lo = 0x80, hi = 0xBF;
      char32_t wert;
      if (c >= 0xC2 && c <= 0xDF) {
        laenge = 2;
        wert = c & 0x1F;
      } else if (c >= 0xE0 && c <= 0xEF) {
        laenge = 3;
        wert = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
      } else if (c >= 0xF0 && c <= 0xF4) {
        laenge = 4;
        wert = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
      } else {
        *aus++ = ERSATZ;
        Kodierfehler = true;
        ++i;
        continue;
      }
      int k = 1;
      bool kaputt = false;
      for (; k < laenge; ++k) {
        if (i + std::size_t(k) >= n) break;
        const unsigned char f = b[i + k];
        if (f < lo || f > hi) {
          kaputt = true;
          break;
        }
        lo = 0x80;
        hi = 0xBF;
        wert = (wert << 6) | (f & 0x3F);
      }
      if (!kaputt && k < laenge) {  // cut off by the end of this read
        if (!letzter) {
          RestLen = int(n - i);
          for (int j = 0; j < RestLen; ++j) Rest[j] = b[i + j];
          break;
        }
        kaputt = true;
      }
      if (kaputt) {
        *aus++ = ERSATZ;
        Kodierfehler = true;
        i += std::size_t(k);
        continue;
      }
      if (wert >= 0x10000) {
        wert -= 0x10000;
        *aus++ = char16_t(0xD800 + (wert >> 10));
        *aus++ = char16_t(0xDC00 + (wert & 0x3FF));
      } else {
        *aus++ = char16_t(wert);
      }
      i += std::size_t(laenge);
    }
    Len = std::size_t(aus - Text.data());
  }

  // A surrogate without its partner is as undecodable as a stray byte of UTF-8: it becomes
  // U+FFFD, and the text read is not the file's.
  void Utf16Dekodieren(const unsigned char* b, std::size_t n, bool letzter) {
    std::size_t i = 0;
    char16_t* aus = Text.data() + Len;
    const bool le = Kodierung == Utf16LE;
    const auto einheit = [&](std::size_t j) {
      return le ? char16_t(b[j] | (b[j + 1] << 8)) : char16_t((b[j] << 8) | b[j + 1]);
    };
    const auto ersatz = [&] {
      *aus++ = ERSATZ;
      Kodierfehler = true;
    };
    while (i + 1 < n) {
      const char16_t c = einheit(i);
      if (c >= 0xD800 && c <= 0xDBFF) {
        if (i + 3 >= n && !letzter) break;  // its partner comes with the next read
        const char16_t d = i + 3 < n ? einheit(i + 2) : char16_t(0);
        if (d >= 0xDC00 && d <= 0xDFFF) {
          *aus++ = c;
          *aus++ = d;
          i += 4;
        } else {
          ersatz();
          i += 2;
        }
      } else if (c >= 0xDC00 && c <= 0xDFFF) {
        ersatz();
        i += 2;
      } else {
        *aus++ = c;
        i += 2;
      }
    }
    if (i < n) {
      if (letzter) {
        ersatz();  // an odd byte at the end
      } else {
        RestLen = int(n - i);
        for (int j = 0; j < RestLen; ++j) Rest[j] = b[i + std::size_t(j)];
      }
    }
    Len = std::size_t(aus - Text.data());
  }

  // Fills Text with the next decoded characters; false when nothing more can come.
  bool Nachfuellen() {
    Pos = Len = 0;
    while (Len == 0) {
      if (Eingebettet || DateiEnde || Lesefehler || fd < 0) return false;
      unsigned char roh[PUFFER + 4];
      for (int j = 0; j < RestLen; ++j) roh[j] = Rest[j];
      const std::size_t alt = std::size_t(RestLen);
      RestLen = 0;
      std::size_t n = 0;
      if (!Roh(roh + alt, PUFFER, n)) {
        Lesefehler = true;
        return false;
      }
      n += alt;
      std::size_t start = 0;
      if (Anfang) {
        Anfang = false;
        if (n >= 3 && roh[0] == 0xEF && roh[1] == 0xBB && roh[2] == 0xBF) {
          start = 3;
        } else if (n >= 2 && roh[0] == 0xFF && roh[1] == 0xFE) {
          Kodierung = Utf16LE;
          start = 2;
        } else if (n >= 2 && roh[0] == 0xFE && roh[1] == 0xFF) {
          Kodierung = Utf16BE;
          start = 2;
        }
      }
      if (Text.size() < PUFFER + 8) Text.resize(PUFFER + 8);
      if (Kodierung == Utf8)
        Utf8Dekodieren(roh + start, n - start, DateiEnde);
      else
        Utf16Dekodieren(roh + start, n - start, DateiEnde);
    }
    return true;
  }

  bool Verfuegbar() { return Pos < Len || Nachfuellen(); }

  // Hands the collected text to Ziel, which has been emptied (Leeren) or is empty.
  void Uebergeben(QString& Ziel) {
    static const QString leer = QStringLiteral("");
    const std::size_t n = Sammel.size();
    if (n == 0) {
      if (Ziel.isNull()) Ziel = leer;
      return;
    }
    if (!Ziel.isEmpty()) {
      Ziel.append(reinterpret_cast<const QChar*>(Sammel.data()), qsizetype(n));
      return;
    }
    if (n > MERKEN_LAENGE) {
      Ziel = QString(reinterpret_cast<const QChar*>(Sammel.data()), qsizetype(n));
      return;
    }
    std::uint32_t h = std::uint32_t(n);
    for (char16_t c : Sammel) h = h * 31u + c;
    QString& g = Gemerkt[(h ^ (h >> 8)) % MERKEN];
    if (g.size() != qsizetype(n) || std::memcmp(g.utf16(), Sammel.data(), n * sizeof(char16_t)) != 0)
      g = QString(reinterpret_cast<const QChar*>(Sammel.data()), qsizetype(n));
    Ziel = g;
  }

  // Count of characters from Pos on that a plain run may take in one step: not a line break of
  // file text, and for which Stop is false.
  template <class F>
  std::size_t Lauf(F Stop) const {
    std::size_t i = Pos;
    if (Eingebettet) {
      while (i < Len && !Stop(Text[i])) ++i;
    } else {
      while (i < Len) {
        const char16_t c = Text[i];
        if ((c < 128 && (KLASSEN.k[c] & 4)) || Stop(c)) break;
        ++i;
      }
    }
    return i - Pos;
  }
};

TKiroXML::TKiroXML() = default;
TKiroXML::~TKiroXML() = default;

char16_t TKiroXML::NaechstesZeichen() {
  TLeser& q = *StreamReader;
  if (q.Eingebettet) {
    if (q.Pos < q.Len) {
      ++AktZaehler;
      return q.Text[q.Pos++];
    }
    AktEnde = true;
    return ESC;
  }
  if (q.ZeileOffen) {
    if (q.Pos < q.Len || q.Nachfuellen()) {
      const char16_t c = q.Text[q.Pos];
      if (c != CR && c != LF) {
        ++q.Pos;
        ++AktZaehler;
        return c;
      }
      // The line ends here; its break belongs to it.
      ++q.Pos;
      const bool crlf = c == CR && q.Verfuegbar() && q.Text[q.Pos] == LF;
      if (crlf) ++q.Pos;
      if (q.UmbruecheMerken) {
        q.Umbrueche.assign(1, c);
        if (crlf) q.Umbrueche.push_back(LF);
      }
    }
    q.ZeileOffen = false;
  } else if (q.UmbruecheMerken) {
    q.Umbrueche.clear();
  }
  // The current line is used up: read lines until one is not empty.
  for (;;) {
    if (!q.Verfuegbar()) {
      if (q.Lesefehler) FUnvollstaendig = true;  // logged once when the load ends
      AktEnde = true;
      return ESC;
    }
    ++AktZeilenZaehler;
    const char16_t c = q.Text[q.Pos++];
    if (c == CR || c == LF) {
      const bool crlf = c == CR && q.Verfuegbar() && q.Text[q.Pos] == LF;
      if (crlf) ++q.Pos;
      if (q.UmbruecheMerken) {
        q.Umbrueche.push_back(c);
        if (crlf) q.Umbrueche.push_back(LF);
      }
      continue;
    }
    q.ZeileOffen = true;
    ++AktZaehler;
    q.UmbruchBei = AktZaehler;
    return c;
  }
}

void TKiroXML::LeerzeichenUeberspringen() {
  while (IstLeerraum(Aktc) && !AktEnde) Weiter();
}

void TKiroXML::NameLesen(QString& Ziel) {
  TLeser& q = *StreamReader;
  q.Sammel.clear();
  FUmbruchImNamen = false;
  while (!IstTerminator(Aktc) && !AktEnde) {
    const std::size_t k = q.Lauf([](char16_t c) { return IstTerminator(c); });
    q.Sammel.push_back(Aktc);
    q.Sammel.append(q.Text.data() + q.Pos, k);
    q.Pos += k;
    AktZaehler += std::uint32_t(k);
    const std::uint32_t zeile = AktZeilenZaehler;
    Weiter();
    if (AktZeilenZaehler != zeile && !IstTerminator(Aktc) && !AktEnde) {
      // The source joins the name across a line break. A comment's text keeps the break once
      // its "<!--" is complete; any other name is then not the file's.
      if (q.UmbruecheMerken && q.Sammel.compare(0, 3, u"!--") == 0)
        q.Sammel += q.Umbrueche;
      else
        FUmbruchImNamen = true;
    }
  }
  q.Uebergeben(Ziel);
}

void TKiroXML::UmbruecheAnhaengen(QString& Ziel) const {
  const TLeser& q = *StreamReader;
  if (q.UmbruecheMerken && q.UmbruchBei == AktZaehler && !AktEnde)
    Ziel.append(reinterpret_cast<const QChar*>(q.Umbrueche.data()), qsizetype(q.Umbrueche.size()));
}

void TKiroXML::WertLesen(QString& Ziel, char16_t Anfuehrung) {
  TLeser& q = *StreamReader;
  q.Sammel.clear();
  // The breaks the character source swallowed before the current character are part of the value.
  auto umbrueche = [&] {
    if (q.UmbruecheMerken && q.UmbruchBei == AktZaehler) q.Sammel += q.Umbrueche;
  };
  umbrueche();
  while (Aktc != Anfuehrung && !AktEnde) {
    const std::size_t k = q.Lauf([Anfuehrung](char16_t c) { return c == Anfuehrung; });
    q.Sammel.push_back(Aktc);
    q.Sammel.append(q.Text.data() + q.Pos, k);
    q.Pos += k;
    AktZaehler += std::uint32_t(k);
    Weiter();
    umbrueche();
  }
  q.Uebergeben(Ziel);
}

void TKiroXML::BisSchliessendeKlammer() {
  while (Aktc != u'>' && !AktEnde) {
    TLeser& q = *StreamReader;
    const std::size_t k = q.Lauf([](char16_t c) { return c == u'>'; });
    q.Pos += k;
    AktZaehler += std::uint32_t(k);
    Weiter();
  }
}

// A comment ends at the first "-->" after its "<!--" (line breaks are not delivered, so one may
// stand between its dashes); its text is no item of the level. With Text, what follows the name
// read so far is appended to it, with the line breaks as the file has them.
void TKiroXML::KommentarUeberspringen(const QString& Name, QString* Text) {
  int striche = 0;
  for (qsizetype i = 3; i < Name.size(); ++i)
    if (Name.at(i) != u'\r' && Name.at(i) != u'\n') striche = Name.at(i) == u'-' ? striche + 1 : 0;
  while (!AktEnde) {
    if (Aktc == u'>' && striche >= 2) {
      // The "--" of the end goes. A line break after or between its dashes would go with it and
      // is not written back: the file's text is then not all in the comment.
      for (int i = 0; Text && i < 2; ++i) {
        while (Text->endsWith(u'\r') || Text->endsWith(u'\n')) {
          Text->chop(1);
          FTextVerworfen = true;
        }
        Text->chop(1);
      }
      Weiter();
      return;
    }
    striche = Aktc == u'-' ? striche + 1 : 0;
    if (!Text) {
      Weiter();
      continue;
    }
    Text->append(QChar(Aktc));
    Weiter();
    UmbruecheAnhaengen(*Text);
  }
  FUnvollstaendig = true;
}

// Ends every open level at once: the source delivers nothing more.
void TKiroXML::Abbrechen() {
  FUnvollstaendig = true;
  TLeser& q = *StreamReader;
  q.Pos = q.Len = 0;
  q.DateiEnde = true;
  q.Eingebettet = true;  // nothing more is read from the file either
  AktEnde = true;
  Aktc = ESC;
}

void TKiroXML::UnbekanntMelden(const char* Schluessel, const QString& Kennung, const QString& Dateiname) {
  Protokollieren(QString(),
                 Formatieren(Text(QString::fromLatin1(Schluessel)),
                             {Kennung, Dateiname, QVariant::fromValue(AktZeilenZaehler), QVariant::fromValue(AktZaehler)}),
                 2);
}

void TKiroXML::LadenBeginnen() {
  FKiroGefunden = false;
  FUnvollstaendig = false;
  FKodierfehler = false;
  FTextVerworfen = false;
  FGeleseneDatei.clear();
  FTiefe = 0;
  FEbenenName.clear();
  FEbeneOffen = false;
  FEndeKlammer = false;
}

bool TKiroXML::LadenDatei(const QString& Pfad, const QString& DateiName, TInfo& Info, const TParserProc& ParserProc,
                          void* pDaten) {
  (void)Info;  // the header record is filled by the callbacks, never by the reader
  // Names keep their Windows form in data files; the file system wants "/".
  const QString name = QString(DateiName).replace(u'\\', u'/');
  QString pfad;
  if (name.startsWith(u'/'))
    pfad = name;
  else if (!Pfad.isEmpty())
    pfad = Pfad + name;
  else
    pfad = DatenverzeichnisOffiziell + name;

  auto leser = std::make_unique<TLeser>();
  AusKomponenteLaden = false;
  if (EingebundeneDateien) {
    const QString text = EingebundeneDateiSuchen(EingebundeneDateien, DateiName);
    if (!text.isEmpty()) {
      AusKomponenteLaden = true;
      leser->Eingebettet = true;
      leser->Text.assign(reinterpret_cast<const char16_t*>(text.utf16()),
                         reinterpret_cast<const char16_t*>(text.utf16()) + text.size());
      leser->Len = leser->Text.size();
    }
  }
  LadenBeginnen();
  if (!AusKomponenteLaden) {
    // Only a regular file is a data file: a FIFO would block the load, a device or folder is
    // nothing to read. Opening without blocking and checking the opened file leaves no gap.
    const QByteArray nativ = QFile::encodeName(pfad);
    struct stat st {};
    if (::stat(nativ.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
      Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.DateiLaden")), {pfad}), 2);
      return false;
    }
    leser->fd = ::open(nativ.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (leser->fd < 0) {
      ProtokollierenFehler(errno, pfad, 2);
      return false;
    }
    if (::fstat(leser->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.DateiLaden")), {pfad}), 2);
      return false;
    }
    ::fcntl(leser->fd, F_SETFL, ::fcntl(leser->fd, F_GETFL) & ~O_NONBLOCK);
    FGeleseneDatei = QFileInfo(pfad).canonicalFilePath();
  }
  DokumentLesen(std::move(leser), ParserProc, pDaten, DateiName);
  return true;
}

bool TKiroXML::LadenOffen(int Fd, const QString& DateiName, const TParserProc& ParserProc, void* pDaten) {
  auto leser = std::make_unique<TLeser>();
  AusKomponenteLaden = false;
  LadenBeginnen();
  leser->fd = ::fcntl(Fd, F_DUPFD_CLOEXEC, 0);
  struct stat st {};
  if (leser->fd < 0 || ::fstat(leser->fd, &st) != 0) {
    ProtokollierenFehler(errno, Formatieren(Text(QStringLiteral("KiroXML.DateiLesen")), {DateiName}), 2);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    Protokollieren(QString(), Formatieren(Text(QStringLiteral("KiroXML.DateiLaden")), {DateiName}), 2);
    return false;
  }
  DokumentLesen(std::move(leser), ParserProc, pDaten, DateiName);
  return true;
}

void TKiroXML::DokumentLesen(std::unique_ptr<TLeser> Leser, const TParserProc& ParserProc, void* pDaten,
                             const QString& DateiName) {
  AktZaehler = 0;
  AktZeilenZaehler = 0;
  AktEnde = false;
  Aktc = u' ';
  Leser->UmbruecheMerken = UmbruecheBehalten;
  StreamReader = std::move(Leser);
  struct TFreigabe {
    std::unique_ptr<TLeser>& r;
    ~TFreigabe() { r.reset(); }
  } freigabe{StreamReader};
  LadenXML(ParserProc, pDaten, false, DateiName);
  FKodierfehler = StreamReader->Kodierfehler;
  if (StreamReader->Kodierfehler)
    Protokollieren(QString(),
                   Formatieren(QStringLiteral("Datei \"%s\": ungültige Zeichen durch U+FFFD ersetzt"), {DateiName}), 2);
  if (StreamReader->Lesefehler) ProtokollierenFehler(StreamReader->LesefehlerNummer, DateiName, 2);
}

bool TKiroXML::LadenXML(const TParserProc& ParserProc, void* pDatenPtr, bool NurErsterKnoten, const QString& Dateiname) {
  if (!StreamReader) return false;
  struct TTiefe {
    int& t;
    ~TTiefe() { --t; }
  } tiefe{++FTiefe};
  if (FTiefe > MaxTiefe + 1) {
    if (!AktEnde)
      Protokollieren(QString(),
                     Formatieren(QStringLiteral("Datei \"%s\" ist tiefer als %d Ebenen verschachtelt, Lesen abgebrochen"),
                                 {Dateiname, MaxTiefe}),
                     2);
    Abbrechen();
    return false;
  }
  const bool mitProc = bool(ParserProc);
  bool weiter = true;
  bool ergebnis = false;
  TParse knoten, attribut;
  // What the level above said of this one: the element's name ("" for the document) and
  // whether its start tag is still open (attributes may follow) or has ended (content follows).
  // The grammar lets text pass that no item holds; the level notes each such place
  // (FTextVerworfen), so that a rewrite from the items knows it would lose it.
  const QString eigenerName = std::exchange(FEbenenName, QString());
  bool tagOffen = std::exchange(FEbeneOffen, false);
  const bool deklaration = eigenerName == u"?xml";
  if (deklaration && !tagOffen) FTextVerworfen = true;  // "<?xml>" ends as no declaration does
  const auto kindAnsagen = [this](const QString& Name, bool Offen) {
    FEbenenName = Name;
    FEbeneOffen = Offen;
  };
  const auto kindVorbei = [this] {
    FEbenenName.clear();
    FEbeneOffen = false;
  };
  while (weiter && !AktEnde) {
    if (NurErsterKnoten) weiter = false;
    if (AktZaehler == 0) {
      while (Aktc != u'<' && !AktEnde) {
        if (!IstLeerraum(Aktc)) FTextVerworfen = true;  // text before the first element
        Weiter();
      }
    } else {
      LeerzeichenUeberspringen();
    }
    if (Aktc == u'<') {
      Leeren(knoten.Kennung);
      knoten.Wert = KNOTEN;
      const std::uint32_t zeile = AktZeilenZaehler;
      Weiter();
      // A "<" at a line's end, or inside a start tag: no tag the tree could write as it stood.
      if (AktZeilenZaehler != zeile || tagOffen) FTextVerworfen = true;
      NameLesen(knoten.Kennung);
      if (FUmbruchImNamen) FTextVerworfen = true;
      if (knoten.Kennung.startsWith(u"!--")) {
        if (mitProc && KommentarProc) {
          QString text = knoten.Kennung.mid(3);
          UmbruecheAnhaengen(text);
          KommentarUeberspringen(knoten.Kennung, &text);
          KommentarProc(text, pDatenPtr);
        } else {
          KommentarUeberspringen(knoten.Kennung, nullptr);
        }
        continue;
      }
      if (FTiefe == 1 && knoten.Kennung == u"Kiro") FKiroGefunden = true;
      if (Aktc == u'/' && knoten.Kennung.isEmpty()) {  // end tag: it ends the level, whatever it names
        // The name repeats the element's, and nothing else stands in the tag: a rewrite writes
        // the end tag from the element's name.
        Weiter();
        QString ende;
        NameLesen(ende);
        if (FUmbruchImNamen || FTiefe == 1 || ende != eigenerName) FTextVerworfen = true;
        LeerzeichenUeberspringen();
        if (Aktc != u'>' && !AktEnde) {
          FTextVerworfen = true;
          BisSchliessendeKlammer();
        }
        if (AktEnde)
          FUnvollstaendig = true;
        else
          FEndeKlammer = true;  // the ">" stays; the enclosing level drops it
        weiter = false;
      } else if (Aktc == u'/') {  // short form "<name/>"
        if (mitProc) {
          kindAnsagen(knoten.Kennung, true);
          const TParseErg erg = ParserProc(knoten, pDatenPtr);
          kindVorbei();
          if (erg == ParseFehler) UnbekanntMelden("KiroXML.XMLUnbekanntKnoten", knoten.Kennung, Dateiname);
          ergebnis = erg == ParseOK;
          if (erg != ParseOK && Aktc == u'/') {
            Weiter();
            Weiter();
            ergebnis = true;
          }
        } else {
          kindAnsagen(knoten.Kennung, true);
          ergebnis = LadenXML(TParserProc(), pDatenPtr, NurErsterKnoten, Dateiname);
        }
      } else {
        // The character that ended the name is dropped: ">" ends the start tag, whitespace leaves
        // it open; anything else ("<", "=", a quote) is text, and so is a nameless element.
        const bool offen = Aktc != u'>';
        if (knoten.Kennung.isEmpty() || (!AktEnde && offen && !IstLeerraum(Aktc))) FTextVerworfen = true;
        Weiter();
        if (mitProc) {
          kindAnsagen(knoten.Kennung, offen);
          const TParseErg erg = ParserProc(knoten, pDatenPtr);
          kindVorbei();
          if (erg == ParseFehler) UnbekanntMelden("KiroXML.XMLUnbekanntKnoten", knoten.Kennung, Dateiname);
          ergebnis = erg == ParseOK;
          if (erg != ParseOK) {
            kindAnsagen(knoten.Kennung, offen);
            LadenXML(TParserProc(), pDatenPtr, NurErsterKnoten, Dateiname);
          }
        } else {
          kindAnsagen(knoten.Kennung, offen);
          ergebnis = LadenXML(TParserProc(), pDatenPtr, NurErsterKnoten, Dateiname);
        }
      }
    } else if (IstTerminator(Aktc) || Aktc == u'?') {
      if (Aktc == u'/' || Aktc == u'?') {
        // "/>" ends a start tag, "?>" the declaration; any other place, or anything between the
        // two characters, is text.
        const bool amPlatz = tagOffen && (deklaration ? Aktc == u'?' : Aktc == u'/');
        if (!amPlatz) FTextVerworfen = true;
        Weiter();
        LeerzeichenUeberspringen();
        if (Aktc != u'>' && !AktEnde) {
          FTextVerworfen = true;
          BisSchliessendeKlammer();
        }
        if (AktEnde) FUnvollstaendig = true;
        weiter = false;
      } else if (Aktc == u'>') {
        if (FEndeKlammer)
          FEndeKlammer = false;  // the end of a child's end tag
        else if (tagOffen && !deklaration)
          tagOffen = false;  // the end of the start tag
        else
          FTextVerworfen = true;  // element text
      } else if (!IstLeerraum(Aktc)) {
        FTextVerworfen = true;  // a stray quote or "=", no item
      }
      Weiter();
    } else {
      // In an element's content (or the document) a word is text, even one that looks like an
      // attribute.
      if (!tagOffen) FTextVerworfen = true;
      Leeren(attribut.Kennung);
      Leeren(attribut.Wert);
      NameLesen(attribut.Kennung);
      if (FUmbruchImNamen) FTextVerworfen = true;
      LeerzeichenUeberspringen();
      // A word without "=" and a quoted value is text (element text, say): no item, dropped.
      if (Aktc != u'=') {
        FTextVerworfen = true;
        continue;
      }
      Weiter();
      LeerzeichenUeberspringen();
      if (Aktc != u'"' && Aktc != u'\'') {
        FTextVerworfen = true;
        continue;
      }
      const char16_t anf = Aktc;
      Weiter();
      WertLesen(attribut.Wert, anf);
      if (mitProc) {
        EntitaetenDekodieren(attribut.Wert);
        const TParseErg erg = ParserProc(attribut, pDatenPtr);
        if (erg == ParseFehler) UnbekanntMelden("KiroXML.XMLUnbekanntAttribut", attribut.Kennung, Dateiname);
        ergebnis = erg == ParseOK;
      }
      Weiter();
    }
  }
  // An element level (not the document) that runs into the end of the input was cut off.
  if (weiter && AktEnde && FTiefe > 1) FUnvollstaendig = true;
  return ergebnis;
}

}  // namespace kiro
