// Paketlader: the graphical installer. No command-line options; the edition and the update
// server are build options, the server can be pointed elsewhere by the environment.
#include "foundation/Meldung.h"
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

namespace {

int Meldungsfenster(const kiro::TMeldungsBox& box) {
  using namespace kiro;
  QMessageBox::Icon symbol = QMessageBox::NoIcon;
  switch (box.Typ) {
    case TMsgDlgType::mtWarning: symbol = QMessageBox::Warning; break;
    case TMsgDlgType::mtError: symbol = QMessageBox::Critical; break;
    case TMsgDlgType::mtInformation: symbol = QMessageBox::Information; break;
    case TMsgDlgType::mtConfirmation: symbol = QMessageBox::Question; break;
    case TMsgDlgType::mtCustom: break;
  }
  struct Knopf {
    unsigned Bit;
    QMessageBox::StandardButton Qt;
    int Ergebnis;
  };
  const Knopf knoepfe[] = {{mbYes, QMessageBox::Yes, mrYes},       {mbNo, QMessageBox::No, mrNo},
                           {mbOK, QMessageBox::Ok, mrOk},          {mbCancel, QMessageBox::Cancel, mrCancel},
                           {mbAbort, QMessageBox::Abort, mrAbort}, {mbRetry, QMessageBox::Retry, mrRetry},
                           {mbIgnore, QMessageBox::Ignore, mrIgnore}};
  QMessageBox m(symbol, QStringLiteral("Kiro WebInstall"), box.Text);
  QMessageBox::StandardButtons alle;
  for (const Knopf& k : knoepfe)
    if (box.Knoepfe & k.Bit) alle |= k.Qt;
  m.setStandardButtons(alle ? alle : QMessageBox::StandardButtons(QMessageBox::Ok));
  for (const Knopf& k : knoepfe)
    if (box.Vorgabe & k.Bit) m.setDefaultButton(k.Qt);
  const int gedrueckt = m.exec();
  for (const Knopf& k : knoepfe)
    if (gedrueckt == k.Qt) return k.Ergebnis;
  return mrCancel;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QTranslator qtTexte;
  if (qtTexte.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexte);
  kiro::MeldungZeigenHookSetzen(Meldungsfenster);

  // The machine's drives, the mount-table and udev watcher for their changes, and the
  // formatter that fits the system (UDisks2 where it runs, else mkfs.fat).
  kiro::TWebInstallUmgebung umgebung = kiro::TWebInstallUmgebung::Standard();
  const QByteArray server = qgetenv("KIRO_UPDATE_SERVER");
  umgebung.UpdateServer = server.isEmpty() ? QStringLiteral(KIRO_UPDATE_SERVER_STANDARD) : QString::fromUtf8(server);
  umgebung.Edition = kiro::EditionAusName(QStringLiteral(KIRO_EDITION_NAME)).value_or(kiro::TEdition{});

  kiro::TFormWebInstall FormWebInstall(umgebung);
  kiro::TFormInfo FormInfo;
  FormWebInstall.show();
  return app.exec();
}
