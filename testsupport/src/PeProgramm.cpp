#include "testsupport/PeProgramm.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace kiro::test {

namespace {

bool Ausfuehren(const QString& Ordner, const QString& Programm, const QStringList& Argumente, QString* Fehler) {
  QProcess p;
  p.setWorkingDirectory(Ordner);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(Programm, Argumente);
  if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return true;
  if (Fehler) *Fehler = Programm + QStringLiteral(": ") + p.errorString() + u' ' + QString::fromLocal8Bit(p.readAll());
  return false;
}

bool Schreiben(const QString& Pfad, const QByteArray& Inhalt) {
  QFile f(Pfad);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Inhalt) == Inhalt.size();
}

}  // namespace

bool PeProgrammBauen(const QString& Ziel, std::uint16_t Haupt, std::uint16_t Neben, std::uint16_t Release,
                     std::uint16_t Build, QString* Fehler) {
  const QFileInfo info(Ziel);
  const QString ordner = info.absolutePath();
  const QString basis = info.fileName() + QStringLiteral(".bau");
  const QString version = QStringLiteral("%1,%2,%3,%4").arg(Haupt).arg(Neben).arg(Release).arg(Build);
  const QByteArray rc = "1 VERSIONINFO\nFILEVERSION " + version.toLatin1() + "\nPRODUCTVERSION " + version.toLatin1() +
                        "\nBEGIN\nEND\n";
  if (!Schreiben(ordner + u'/' + basis + QStringLiteral(".rc"), rc) ||
      !Schreiben(ordner + u'/' + basis + QStringLiteral(".s"), ".text\n.globl start\nstart:\n ret\n")) {
    if (Fehler) *Fehler = QStringLiteral("cannot write the sources beside ") + Ziel;
    return false;
  }
  const QString p = QStringLiteral("i686-w64-mingw32-");
  // No C preprocessor comes with binutils alone, and the file needs none.
  const bool ok =
      Ausfuehren(ordner, p + QStringLiteral("windres"),
                 {QStringLiteral("--preprocessor=cat"), basis + QStringLiteral(".rc"), QStringLiteral("-O"),
                  QStringLiteral("coff"), QStringLiteral("-o"), basis + QStringLiteral(".r.o")},
                 Fehler) &&
      Ausfuehren(ordner, p + QStringLiteral("as"), {basis + QStringLiteral(".s"), QStringLiteral("-o"), basis + QStringLiteral(".c.o")},
                 Fehler) &&
      Ausfuehren(ordner, p + QStringLiteral("ld"),
                 {QStringLiteral("-m"), QStringLiteral("i386pe"), QStringLiteral("-e"), QStringLiteral("start"),
                  QStringLiteral("-o"), info.absoluteFilePath(), basis + QStringLiteral(".c.o"), basis + QStringLiteral(".r.o")},
                 Fehler);
  for (const char* endung : {".rc", ".s", ".r.o", ".c.o"}) QFile::remove(ordner + u'/' + basis + QLatin1String(endung));
  return ok;
}

}  // namespace kiro::test
