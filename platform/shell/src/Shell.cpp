#include "platform/Shell.h"

#include "foundation/Startbar.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace kiro::platform {

namespace {
QUrl AlsUrl(const QString& s) {
  const QUrl url(s);
  if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1) return url;
  return QUrl::fromLocalFile(s);
}
}  // namespace

bool TDesktopShell::Oeffnen(const QString& OrdnerOderAdresse) {
  return QDesktopServices::openUrl(AlsUrl(OrdnerOderAdresse));
}

bool TDesktopShell::ProgrammStarten(const QString& Datei) {
  const QFileInfo info(Datei);
  if (SystemStartbar(QFile::encodeName(info.absoluteFilePath()).toStdString()))
    return QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
  return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

}  // namespace kiro::platform
