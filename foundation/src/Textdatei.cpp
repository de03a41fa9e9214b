#include "foundation/Textdatei.h"

#include "foundation/Ansi.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Kern.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace {

QString Utf16(const QByteArray& b, qsizetype Start, bool BigEndian) {
  QString s;
  s.reserve((b.size() - Start) / 2);
  for (qsizetype i = Start; i + 1 < b.size(); i += 2) {
    const auto hi = static_cast<unsigned char>(b[BigEndian ? i : i + 1]);
    const auto lo = static_cast<unsigned char>(b[BigEndian ? i + 1 : i]);
    s.append(QChar(char16_t((hi << 8) | lo)));
  }
  return s;
}

bool Fehlschlag(QString* Fehler, int Code) {
  if (Fehler) *Fehler = SystemFehlertext(Code);
  return false;
}

// Opens Pfad only when it is a regular file; -1 with Code set otherwise. O_NONBLOCK only so
// that opening a FIFO cannot wait for its other end; it is refused just after.
int RegulaerOeffnen(const QString& Pfad, int Modus, int& Code) {
  const int fd = ::open(QFile::encodeName(Pfad).constData(), Modus | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    Code = errno;
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    Code = errno;
  else if (!S_ISREG(st.st_mode))
    Code = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  else
    return fd;
  ::close(fd);
  return -1;
}

}  // namespace

QString TextEntschluesseln(const QByteArray& b) {
  if (b.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(b.constData() + 3, b.size() - 3);
  if (b.startsWith("\xFF\xFE")) return Utf16(b, 2, false);
  if (b.startsWith("\xFE\xFF")) return Utf16(b, 2, true);
  return AusAnsi(b);
}

QByteArray TextVerschluesseln(const QString& Text) {
  QByteArray ansi = NachAnsi(Text);
  if (AusAnsi(ansi) == Text) return ansi;
  return QByteArrayLiteral("\xEF\xBB\xBF") + Text.toUtf8();
}

QStringList TextZeilen(const QString& Text) {
  QStringList zeilen;
  qsizetype anfang = 0;
  const qsizetype n = Text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = Text[i];
    if (c != u'\r' && c != u'\n') continue;
    zeilen.append(Text.mid(anfang, i - anfang));
    if (c == u'\r' && i + 1 < n && Text[i + 1] == u'\n') ++i;
    anfang = i + 1;
  }
  if (anfang < n) zeilen.append(Text.mid(anfang));
  return zeilen;
}

bool DateiLesen(const QString& Pfad, QByteArray& Inhalt, QString* Fehler) {
  int code = 0;
  const int fd = RegulaerOeffnen(Pfad, O_RDONLY, code);
  if (fd < 0) return Fehlschlag(Fehler, code);
  QByteArray daten;
  char puffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, puffer, sizeof puffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      code = errno;
      ::close(fd);
      return Fehlschlag(Fehler, code);
    }
    daten.append(puffer, n);
  }
  ::close(fd);
  Inhalt = std::move(daten);
  return true;
}

bool TextdateiLesen(const QString& Pfad, QString& Text, QString* Fehler) {
  QByteArray inhalt;
  if (!DateiLesen(Pfad, inhalt, Fehler)) return false;
  Text = TextEntschluesseln(inhalt);
  return true;
}

bool DateiAnhaengen(const QString& Pfad, const QByteArray& Inhalt, QString* Fehler) {
  int code = 0;
  const int fd = RegulaerOeffnen(Pfad, O_WRONLY | O_APPEND | O_CREAT, code);
  if (fd < 0) return Fehlschlag(Fehler, code);
  if (!AllesSchreiben(fd, Inhalt.constData(), std::size_t(Inhalt.size()))) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  return code == 0 || Fehlschlag(Fehler, code);
}

bool DateiErsetzen(const QString& Pfad, const QByteArray& Inhalt, QString* Fehler) {
  const QByteArray ziel = QFile::encodeName(Pfad);
  // The new file keeps the old one's permissions, owner and group: a private file stays private
  // and its owner's. It is made private first, so nobody can open it before it has them.
  struct stat alt {};
  const bool ersetzt = ::stat(ziel.constData(), &alt) == 0 && S_ISREG(alt.st_mode);
  std::string temp;
  const int fd = FrischeTempdatei(ziel.toStdString(), ersetzt ? 0600 : 0666, temp);
  if (fd < 0) return Fehlschlag(Fehler, errno);
  int code = 0;
  if (ersetzt && !BesitzUebernehmen(fd, alt)) code = errno;
  if (code == 0 && !AllesSchreiben(fd, Inhalt.constData(), std::size_t(Inhalt.size()))) code = errno;
  if (code == 0 && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && std::rename(temp.c_str(), ziel.constData()) != 0) code = errno;
  if (code != 0) {
    ::unlink(temp.c_str());
    return Fehlschlag(Fehler, code);
  }
  return true;
}

}  // namespace kiro
