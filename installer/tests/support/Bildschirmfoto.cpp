// Takes a screenshot of the main window as a user meets it: a LehrStick edition with one
// stick plugged in, a reachable update server on the loopback interface and one archive
// fetched. Run under Xvfb: paketlader_bildschirmfoto --screenshot FILE [--sprache English]
// With --fenster info it shows the info window instead (with --sprache English through an
// English language file; a second picture, FILE with "-bildschirm", shows where it opened on the
// screen), with --fenster bilder a sheet of every image of the info window's collections in the
// sizes the windows use.
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"
#include "testsupport/HttpServer.h"
#include "testsupport/Palette.h"

#include <QApplication>
#include <QStyleFactory>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>

#include "foundation/Ordner.h"
#include "foundation/Sprachtabelle.h"

#include <cstdio>

namespace {

int Speichern(const QPixmap& Bild, const QString& Datei) {
  if (Bild.save(Datei)) return 0;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(Datei));
  return 1;
}

// The about page as a user of the product meets it: the host's title and folders are set.
int Infofenster(const QString& Datei, const QString& Sprache) {
  QTemporaryDir programm;
  kiro::TSprachtabelle katalog;
  if (Sprache == QLatin1String("English")) {
    // The catalogue is read once from a language file below a program folder of its own.
    kiro::Programmverzeichnis = programm.path() + u'/';
    QDir().mkpath(programm.filePath("_InstSetup/language/English"));
    QFile f(programm.filePath("_InstSetup/language/English/text.txt"));
    f.open(QIODevice::WriteOnly);
    f.write("InfoForm.Programm = Program: %s\nInfoForm.Daten = Data: %s\nInfoForm.DatenOffiziell = Official: %s\n");
    f.close();
    katalog.Sprachordner = Sprache;
    katalog.Laden();
    kiro::Sprachtabelle = &katalog;
  }
  kiro::ProgrammTitel = QStringLiteral("Kiro Paketlader");
  kiro::Programmverzeichnis = QStringLiteral("/opt/kiro3/");
  kiro::Datenverzeichnis = QStringLiteral("/home/anna/Dokumente/Kiro3/Eigene Daten/Strecken und Fahrzeuge/"
                                          "Nordbahn 1998 mit allen Erweiterungen/");
  kiro::DatenverzeichnisOffiziell = QStringLiteral("/opt/kiro3/data/");
  kiro::TFormInfo info;
  info.resize(800, 585);
  info.show();
  QElapsedTimer uhr;
  uhr.start();
  while (uhr.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  QString bildschirm = Datei;
  bildschirm.insert(bildschirm.lastIndexOf(u'.'), QStringLiteral("-bildschirm"));
  const int fehler = Speichern(info.grab(), Datei) + Speichern(info.screen()->grabWindow(0), bildschirm);
  kiro::Sprachtabelle = nullptr;
  return fehler;
}

// Every image of the four collections, one row each, at 16, 24, 32 and 64 pixels.
int Bilderbogen(const QString& Datei) {
  kiro::TFormInfo info;
  const kiro::TImageCollection* sammlungen[] = {&info.ImageCollectionKiroGesamt, &info.ImageCollectionKiroIcon,
                                                &info.ImageCollectionKiroDateien, &info.ImageCollectionMeldungen};
  int zeilen = 0;
  for (const auto* s : sammlungen) zeilen += int(s->Namen().size());
  QPixmap bogen(560, zeilen * 72 + 8);
  bogen.fill(Qt::white);
  QPainter p(&bogen);
  int y = 4;
  for (const auto* s : sammlungen)
    for (const QString& name : s->Namen()) {
      int x = 4;
      for (int g : {16, 24, 32, 64}) {
        p.drawPixmap(x, y + (64 - g) / 2, s->Pixmap(name, g, g));
        x += g + 12;
      }
      p.drawText(QRect(x + 8, y, 560 - x, 64), Qt::AlignVCenter, name);
      y += 72;
    }
  p.end();
  return Speichern(bogen, Datei);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString datei, sprache = QStringLiteral("Deutsch"), edition = QStringLiteral("LehrStick"), ansicht, palette;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == QLatin1String("--screenshot")) datei = args[i + 1];
    else if (args[i] == QLatin1String("--sprache")) sprache = args[i + 1];
    else if (args[i] == QLatin1String("--edition")) edition = args[i + 1];
    else if (args[i] == QLatin1String("--fenster")) ansicht = args[i + 1];
    else if (args[i] == QLatin1String("--palette")) palette = args[i + 1];
  }
  // As under a dark desktop theme: Fusion with light texts on dark grounds.
  if (palette == QLatin1String("dunkel")) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(kiro::test::DunklePalette());
  }
  if (datei.isEmpty()) {
    std::fprintf(stderr, "usage: %s --screenshot FILE [--sprache Deutsch|English] [--edition NAME] [--palette dunkel]\n", argv[0]);
    return 2;
  }
  if (ansicht == QLatin1String("info")) return Infofenster(datei, sprache);
  if (ansicht == QLatin1String("bilder")) return Bilderbogen(datei);

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
