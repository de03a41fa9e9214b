// Takes a screenshot of the main window as a user meets it: a LehrStick edition with one
// stick plugged in, a reachable update server on the loopback interface and one archive
// fetched. Run under Xvfb: paketlader_bildschirmfoto --screenshot FILE [--sprache English]
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"
#include "testsupport/HttpServer.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString datei, sprache = QStringLiteral("Deutsch"), edition = QStringLiteral("LehrStick");
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--screenshot")) datei = args[i + 1];
    else if (args[i] == QLatin1String("--sprache")) sprache = args[i + 1];
    else if (args[i] == QLatin1String("--edition")) edition = args[i + 1];
  }
  if (datei.isEmpty()) {
    std::fprintf(stderr, "usage: %s --screenshot FILE [--sprache Deutsch|English] [--edition NAME]\n", argv[0]);
    return 2;
  }

  kiro::test::HttpServer server;
  server.Setzen("/db/servertest.txt", "ok");
  server.Setzen("/db/lehr.7z", QByteArray(300000, 'x'));
  QTemporaryDir temp, heim;

  kiro::TWebInstallUmgebung u = kiro::TWebInstallUmgebung::Standard();
  u.UpdateServer = server.BasisUrl();
  u.Edition = kiro::EditionAusName(edition).value_or(kiro::TEdition{});
  u.Laufwerke = [] {
    using kiro::platform::TWechsellaufwerk;
    return QList<TWechsellaufwerk>{
        {QStringLiteral("/media/anna/KIRO3HEIM/"), QStringLiteral("/dev/sdb1"), QStringLiteral("8:17"), true},
        {QStringLiteral("/media/anna/USB-DISK/"), QStringLiteral("/dev/sdc1"), QStringLiteral("8:33"), true}};
  };
  u.Beobachter = nullptr;  // the picture shows the drives above, whatever the machine has
  u.TempVerzeichnis = temp.path() + u'/';
  u.Basisverzeichnis = heim.path() + u'/';

  kiro::TFormWebInstall fenster(u);
  kiro::TFormInfo info;
  if (sprache == QLatin1String("English")) fenster.ActionEnglish->trigger();
  fenster.show();
  fenster.ComboBoxQVUSBLaufwerk->setCurrentIndex(0);
  fenster.OberflaecheAktualisieren();
  QString pfad;
  fenster.EditionsarchivLaden(1, pfad);

  QElapsedTimer uhr;
  uhr.start();
  while (uhr.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  if (!fenster.grab().save(datei)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(datei));
    return 1;
  }
  return 0;
}
