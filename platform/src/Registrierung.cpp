#include "platform/Registrierung.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

namespace kiro::platform {

namespace {

std::atomic<const IRegistrierung*> GesetzteQuelle{nullptr};

// Registry files of a busy prefix reach some megabytes; anything far beyond is no registry.
constexpr qint64 kGroessteDatei = 256ll * 1024 * 1024;

// The whole file, read only when it is a regular file (a FIFO or device could block or never end).
std::optional<QByteArray> RegulaereDateiLesen(const QString& Pfad) {
  const int fd = ::open(QFile::encodeName(Pfad).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kGroessteDatei) {
    ::close(fd);
    return std::nullopt;
  }
  QByteArray inhalt;
  char puffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, puffer, sizeof puffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    inhalt.append(puffer, n);
    if (inhalt.size() > kGroessteDatei) break;
  }
  ::close(fd);
  return inhalt;
}

int Ziffernwert(QChar c, int Basis) {
  const char16_t u = c.unicode();
  int w = -1;
  if (u >= u'0' && u <= u'9') w = u - u'0';
  else if (u >= u'a' && u <= u'f') w = u - u'a' + 10;
  else if (u >= u'A' && u <= u'F') w = u - u'A' + 10;
  return w < Basis ? w : -1;
}

// Reads Wine's escaped text from Zeile at Pos up to the unescaped Ende; Pos is left behind Ende.
// Escapes: \a \b \e \f \n \r \t \v, \x with up to four hex digits, up to three octal digits, and
// a backslash before any other character stands for that character.
std::optional<QString> MaskiertLesen(const QString& Zeile, qsizetype& Pos, QChar Ende) {
  QString text;
  const qsizetype n = Zeile.size();
  while (Pos < n) {
    const QChar c = Zeile[Pos++];
    if (c == Ende) return text;
    if (c != u'\\') {
      text += c;
      continue;
    }
    if (Pos >= n) return std::nullopt;
    const QChar e = Zeile[Pos++];
    switch (e.unicode()) {
      case u'a': text += QChar(0x07); break;
      case u'b': text += QChar(0x08); break;
      case u'e': text += QChar(0x1B); break;
      case u'f': text += QChar(0x0C); break;
      case u'n': text += QChar(0x0A); break;
      case u'r': text += QChar(0x0D); break;
      case u't': text += QChar(0x09); break;
      case u'v': text += QChar(0x0B); break;
      case u'x': {
        char16_t w = 0;
        int ziffern = 0;
        for (int d; ziffern < 4 && Pos < n && (d = Ziffernwert(Zeile[Pos], 16)) >= 0; ++ziffern, ++Pos)
          w = char16_t(w * 16 + d);
        if (ziffern == 0) text += u'x';
        else text += QChar(w);
        break;
      }
      default:
        if (Ziffernwert(e, 8) >= 0) {
          char16_t w = char16_t(Ziffernwert(e, 8));
          for (int ziffern = 1, d; ziffern < 3 && Pos < n && (d = Ziffernwert(Zeile[Pos], 8)) >= 0; ++ziffern, ++Pos)
            w = char16_t(w * 8 + d);
          text += QChar(w);
        } else {
          text += e;
        }
    }
  }
  return std::nullopt;
}

// A key path in one form for comparing: parts without empty ones, joined by "\".
QString SchluesselForm(const QString& Schluessel) {
  return Schluessel.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

// A string value written as bytes (hex(1), hex(2)): UTF-16LE up to the first NUL.
std::optional<QString> HexAlsText(const QString& Daten) {
  QByteArray bytes;
  for (const QString& teil : Daten.split(u',', Qt::SkipEmptyParts)) {
    const QString t = teil.trimmed();
    if (t.isEmpty() || t == u"\\") continue;
    bool ok = false;
    const uint b = t.toUInt(&ok, 16);
    if (!ok || b > 0xFF) return std::nullopt;
    bytes.append(char(b));
  }
  QString text;
  for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t u = char16_t(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8));
    if (u == 0) break;
    text += QChar(u);
  }
  return text;
}

// The data after "=": a string, or the type named by its prefix.
TRegWert DatenDeuten(const QString& Zeile, qsizetype Pos) {
  TRegWert wert;
  const QString rest = Zeile.mid(Pos);
  auto alsText = [&](qsizetype Anfang) {
    qsizetype p = Anfang + 1;
    const std::optional<QString> t = MaskiertLesen(Zeile, p, u'"');
    if (t) {
      wert.Art = TRegWert::Text;
      wert.Wert = *t;
    } else {
      wert.Art = TRegWert::KeinText;
      wert.Typ = QStringLiteral("kaputter Text");
    }
  };
  if (rest.startsWith(u'"')) {
    alsText(Pos);
  } else if (rest.startsWith(QLatin1String("str(2):\""))) {
    alsText(Pos + 7);
  } else if (rest.startsWith(QLatin1String("hex(1):")) || rest.startsWith(QLatin1String("hex(2):"))) {
    // Only the first line of a continued value is at hand; short strings fit on it.
    const QString daten = rest.mid(7);
    const std::optional<QString> t = daten.trimmed().endsWith(u'\\') ? std::nullopt : HexAlsText(daten);
    if (t) {
      wert.Art = TRegWert::Text;
      wert.Wert = *t;
    } else {
      wert.Art = TRegWert::KeinText;
      wert.Typ = rest.left(6);
    }
  } else {
    wert.Art = TRegWert::KeinText;
    const qsizetype doppelpunkt = rest.indexOf(u':');
    wert.Typ = doppelpunkt < 0 ? rest : rest.left(doppelpunkt);
  }
  return wert;
}

// Looks the value up in one registry file: "[key] time" opens a key, "name"=data or @=data is a
// value of it; other lines (comments, "#time=", continued binary data) carry nothing we read.
TRegWert InDateiSuchen(const QString& Datei, const QString& Schluessel, const QString& Name) {
  const std::optional<QByteArray> inhalt = RegulaereDateiLesen(Datei);
  if (!inhalt) return {};
  const QString gesucht = SchluesselForm(Schluessel);
  if (gesucht.isEmpty()) return {};  // the root itself holds no values in these files
  bool imSchluessel = false;
  bool gefunden = false;
  const QByteArrayView alles(*inhalt);
  for (qsizetype anfang = 0; anfang < alles.size();) {
    qsizetype ende = alles.indexOf('\n', anfang);
    if (ende < 0) ende = alles.size();
    QByteArrayView roh = alles.sliced(anfang, ende - anfang);
    anfang = ende + 1;
    if (roh.endsWith('\r')) roh.chop(1);
    if (roh.isEmpty()) continue;
    if (roh.front() == '[') {
      if (gefunden) break;  // the key's values have all been seen
      const QString zeile = QString::fromUtf8(roh);
      qsizetype p = 1;
      const std::optional<QString> name = MaskiertLesen(zeile, p, u']');
      imSchluessel = name && SchluesselForm(*name).compare(gesucht, Qt::CaseInsensitive) == 0;
      gefunden = imSchluessel;
      continue;
    }
    if (!imSchluessel) continue;
    const char erstes = roh.front();
    if (erstes != '"' && erstes != '@') continue;
    const QString zeile = QString::fromUtf8(roh);
    QString wertname;
    qsizetype p = 1;
    if (erstes == '"') {
      const std::optional<QString> n = MaskiertLesen(zeile, p, u'"');
      if (!n) continue;
      wertname = *n;
    }
    if (p >= zeile.size() || zeile[p] != u'=') continue;
    if (wertname.compare(Name, Qt::CaseInsensitive) == 0) return DatenDeuten(zeile, p + 1);
  }
  return {};
}

}  // namespace

TWineRegistrierung::TWineRegistrierung(QString Praefix) : FPraefix(std::move(Praefix)) {}

QString TWineRegistrierung::PraefixOrdner() const {
  QString p = FPraefix;
  if (p.isEmpty()) p = qEnvironmentVariable("WINEPREFIX");
  if (p.isEmpty()) {
    const QString heim = qEnvironmentVariable("HOME");
    if (heim.isEmpty()) return {};
    p = heim + (heim.endsWith(u'/') ? QStringLiteral(".wine") : QStringLiteral("/.wine"));
  }
  if (!p.endsWith(u'/')) p += u'/';
  return p;
}

TRegWert TWineRegistrierung::WertLesen(TRegWurzel Wurzel, const QString& Schluessel, const QString& Name) const {
  const QString praefix = PraefixOrdner();
  if (praefix.isEmpty()) return {};
  switch (Wurzel) {
    case TRegWurzel::LocalMachine:
      return InDateiSuchen(praefix + QStringLiteral("system.reg"), Schluessel, Name);
    case TRegWurzel::ClassesRoot:
      return InDateiSuchen(praefix + QStringLiteral("system.reg"), QStringLiteral("Software\\Classes\\") + Schluessel,
                           Name);
    case TRegWurzel::CurrentUser:
      return InDateiSuchen(praefix + QStringLiteral("user.reg"), Schluessel, Name);
    case TRegWurzel::Users:
    case TRegWurzel::PerformanceData:
    case TRegWurzel::CurrentConfig:
    case TRegWurzel::DynData:
      break;
  }
  return {};
}

const IRegistrierung& Registrierung() {
  static const TWineRegistrierung benutzer;
  const IRegistrierung* q = GesetzteQuelle.load();
  return q ? *q : benutzer;
}

void RegistrierungSetzen(const IRegistrierung* Quelle) { GesetzteQuelle.store(Quelle); }

}  // namespace kiro::platform
