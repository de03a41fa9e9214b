#include "platform/Verknuepfung.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro::platform {

namespace {

// A value of type string: backslash and control characters escaped, a leading blank kept.
QString Zeichenkette(const QString& Wert) {
  QString s;
  s.reserve(Wert.size() + 8);
  for (qsizetype i = 0; i < Wert.size(); ++i) {
    const QChar c = Wert[i];
    if (c == u'\\') s += QStringLiteral("\\\\");
    else if (c == u'\n') s += QStringLiteral("\\n");
    else if (c == u'\t') s += QStringLiteral("\\t");
    else if (c == u'\r') s += QStringLiteral("\\r");
    else if (c == u' ' && i == 0) s += QStringLiteral("\\s");
    else s += c;
  }
  return s;
}

// One argument of Exec in double quotes; "%" doubled so it is no field code.
QString Argument(const QString& Wert) {
  QString s = QStringLiteral("\"");
  for (const QChar c : Wert) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') s += u'\\';
    if (c == u'%') s += u'%';
    s += c;
  }
  return s + u'"';
}

}  // namespace

QByteArray DesktopEintragText(const TVerknuepfung& v) {
  QString exec;
  const QFileInfo ziel(v.Ziel);
  if (!(ziel.isFile() && ziel.isExecutable())) exec = QStringLiteral("xdg-open ");
  exec += Argument(v.Ziel);
  if (!v.Argumente.isEmpty()) exec += u' ' + Argument(v.Argumente);
  // The string escapes apply before the quoting rules: every backslash of the quoted
  // command line is escaped once more.
  QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
  text += QStringLiteral("Name=") + Zeichenkette(v.Name) + u'\n';
  if (!v.Beschreibung.isEmpty()) text += QStringLiteral("Comment=") + Zeichenkette(v.Beschreibung) + u'\n';
  text += QStringLiteral("Exec=") + Zeichenkette(exec) + u'\n';
  if (!v.Arbeitsordner.isEmpty()) text += QStringLiteral("Path=") + Zeichenkette(v.Arbeitsordner) + u'\n';
  text += QStringLiteral("Terminal=false\n");
  return text.toUtf8();
}

bool DesktopEintragSchreiben(const QString& Datei, const TVerknuepfung& Verknuepfung, QString* Fehler) {
  auto fehler = [Fehler, &Datei](int Code) {
    if (Fehler) *Fehler = Datei + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(Code));
    return false;
  };
  if (Datei.isEmpty()) return fehler(ENOENT);
  const QByteArray inhalt = DesktopEintragText(Verknuepfung);
  const QByteArray ziel = QFile::encodeName(Datei);
  // A fresh file beside the entry, renamed over it when complete: the desktop never sees a
  // half-written entry, and a link at the entry's name is replaced instead of written through.
  QByteArray vorlage = ziel + ".XXXXXX";
  const int fd = ::mkstemp(vorlage.data());
  if (fd < 0) return fehler(errno);
  bool ok = ::fchmod(fd, 0755) == 0;
  qsizetype geschrieben = 0;
  while (ok && geschrieben < inhalt.size()) {
    const ssize_t n = ::write(fd, inhalt.constData() + geschrieben, size_t(inhalt.size() - geschrieben));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      ok = false;
    } else {
      geschrieben += n;
    }
  }
  if (ok) ok = ::fsync(fd) == 0;
  int code = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && ::rename(vorlage.constData(), ziel.constData()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    ::unlink(vorlage.constData());
    return fehler(code ? code : EIO);
  }
  return true;
}

}  // namespace kiro::platform
