// Paketlader: the graphical installer. No command-line options; the edition and the update
// server are build options, the server can be pointed elsewhere by the environment.
#include "foundation/MeldungsBox.h"
#include "foundation/Protokoll.h"
#include "installer/InfoForm.h"
#include "installer/Stoppsignale.h"
#include "installer/WebInstallForm.h"
#include "platform/TempOrdner.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  // Qt's own texts follow the window's language: the window loads their catalogue.
  kiro::MeldungsBoxInstallieren();
  // The data folder is usually the current folder, which seldom has a "temp" folder; the
  // user's temp folder always exists.
  kiro::ProtokollOrdnerSetzen(kiro::platform::TempVerzeichnis());

  // The machine's drives, the mount-table and udev watcher for their changes, and the
  // formatter that fits the system (UDisks2 where it runs, else mkfs.fat).
  kiro::TWebInstallUmgebung umgebung = kiro::TWebInstallUmgebung::Standard();
  const QByteArray server = qgetenv("KIRO_UPDATE_SERVER");
  umgebung.UpdateServer = server.isEmpty() ? QStringLiteral(KIRO_UPDATE_SERVER_STANDARD) : QString::fromUtf8(server);
  umgebung.Edition = kiro::EditionAusName(QStringLiteral(KIRO_EDITION_NAME)).value_or(kiro::TEdition{});

  kiro::TFormWebInstall FormWebInstall(umgebung);
  kiro::TFormInfo FormInfo;
  // A logout or kill ends the program through its event loop, so nothing half-written stays.
  kiro::StoppsignaleUmleiten([&FormWebInstall] { FormWebInstall.ProgrammBeenden(); });
  FormWebInstall.show();
  return app.exec();
}
