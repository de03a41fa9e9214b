#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kiro::test {

TempOrdner::TempOrdner() : FOrdner(QDir::tempPath() + QStringLiteral("/kirotest-XXXXXX")) {
  FPfad = FOrdner.path() + u'/';
}

QString TempOrdner::Schreiben(const QString& Name, const QByteArray& Inhalt) const {
  const QString pfad = FPfad + Name;
  QDir().mkpath(QFileInfo(pfad).absolutePath());
  QFile f(pfad);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(Inhalt);
  return pfad;
}

QByteArray Lesen(const QString& Pfad) {
  QFile f(Pfad);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int Modus(const QString& Pfad) {
  struct stat st {};
  return ::stat(QFile::encodeName(Pfad).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QStringList Baum(const QString& Ordner) {
  QStringList namen;
  QDirIterator it(Ordner, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QString rel = QDir(Ordner).relativeFilePath(it.filePath());
    namen.append(it.fileInfo().isDir() && !it.fileInfo().isSymLink() ? rel + u'/' : rel);
  }
  namen.sort();
  return namen;
}

QStringList Temporaere(const QString& Datei) {
  return QDir(QFileInfo(Datei).absolutePath())
      .entryList({QStringLiteral(".~kiro*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

long BeendeterProzess() {
  const pid_t kind = ::fork();
  if (kind == 0) ::_exit(0);
  if (kind > 0) ::waitpid(kind, nullptr, 0);
  return kind;
}

}  // namespace kiro::test
