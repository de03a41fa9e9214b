#include "foundation/MeldungsBox.h"

#include "foundation/Meldung.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <cstdio>

namespace kiro {

namespace {

constexpr std::pair<TMsgDlgBtn, QMessageBox::StandardButton> kKnoepfe[] = {
    {mbYes, QMessageBox::Yes},     {mbNo, QMessageBox::No},       {mbOK, QMessageBox::Ok},
    {mbCancel, QMessageBox::Cancel}, {mbAbort, QMessageBox::Abort}, {mbRetry, QMessageBox::Retry},
    {mbIgnore, QMessageBox::Ignore}};

int Ergebnis(QMessageBox::StandardButton k) {
  switch (k) {
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    case QMessageBox::Ok: return mrOk;
    case QMessageBox::Abort: return mrAbort;
    case QMessageBox::Retry: return mrRetry;
    case QMessageBox::Ignore: return mrIgnore;
    default: return mrCancel;
  }
}

int Zeigen(const TMeldungsBox& b) {
  QMessageBox::Icon symbol = QMessageBox::NoIcon;
  QString titel = QApplication::applicationName();
  switch (b.Typ) {
    case TMsgDlgType::mtWarning: symbol = QMessageBox::Warning; titel = QStringLiteral("Warning"); break;
    case TMsgDlgType::mtError: symbol = QMessageBox::Critical; titel = QStringLiteral("Error"); break;
    case TMsgDlgType::mtInformation: symbol = QMessageBox::Information; titel = QStringLiteral("Information"); break;
    case TMsgDlgType::mtConfirmation: symbol = QMessageBox::Question; titel = QStringLiteral("Confirm"); break;
    case TMsgDlgType::mtCustom: break;
  }
  QMessageBox::StandardButtons knoepfe;
  QMessageBox::StandardButton vorgabe = QMessageBox::NoButton;
  for (const auto& [bit, knopf] : kKnoepfe) {
    if (!(b.Knoepfe & bit)) continue;
    knoepfe |= knopf;
    if ((b.Vorgabe & bit) && vorgabe == QMessageBox::NoButton) vorgabe = knopf;
  }
  if (!knoepfe) knoepfe = QMessageBox::Ok;
  QMessageBox box(symbol, titel, b.Text, knoepfe, QApplication::activeWindow());
  if (vorgabe != QMessageBox::NoButton) box.setDefaultButton(vorgabe);
  box.exec();
  return Ergebnis(box.standardButton(box.clickedButton()));
}

int Anzeigen(const TMeldungsBox& b) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!qobject_cast<QApplication*>(app)) {
    // No widgets to show it with: the text goes where a console program would put it.
    std::fprintf(stderr, "%s\n", b.Text.toLocal8Bit().constData());
    return (b.Knoepfe & mbOK) || !b.Knoepfe ? mrOk : (b.Knoepfe & mbYes) ? mrYes : mrCancel;
  }
  if (QThread::currentThread() == app->thread()) return Zeigen(b);
  // Widgets live on the user-interface thread only; the caller waits for the answer.
  int r = mrCancel;
  QMetaObject::invokeMethod(app, [&r, &b] { r = Zeigen(b); }, Qt::BlockingQueuedConnection);
  return r;
}

}  // namespace

void MeldungsBoxInstallieren() { MeldungZeigenHookSetzen(Anzeigen); }

}  // namespace kiro
