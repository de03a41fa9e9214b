#include "components/DialogAnzeigen.h"

#include "foundation/Protokoll.h"

#include <QDialog>

#include <exception>

namespace kiro {

namespace {
TDialogAnzeigen& Hook() {
  static TDialogAnzeigen h;
  return h;
}
}  // namespace

int DialogAnzeigen(QDialog& Dialog) {
  if (const TDialogAnzeigen& h = Hook()) return h(Dialog);
  return Dialog.exec() == QDialog::Accepted ? mrOk : mrCancel;
}

TDialogAnzeigen DialogAnzeigenSetzen(TDialogAnzeigen Anzeigen) {
  TDialogAnzeigen alt = std::move(Hook());
  Hook() = std::move(Anzeigen);
  return alt;
}

bool Abgesichert(const QString& Was, const std::function<void()>& Arbeit) {
  QString fehler;
  try {
    Arbeit();
    return true;
  } catch (const std::exception& e) {
    fehler = QString::fromLocal8Bit(e.what());
  } catch (...) {
    fehler = QStringLiteral("unbekannter Fehler");
  }
  FehlerMelden(Was, fehler);
  return false;
}

void FehlerMelden(const QString& Fehler, const QString& Fehlertext) {
  Protokollieren(Fehlertext, Fehler, 2);
  MeldungZeigen(Fehlertext.isEmpty() ? Fehler : Fehler + QStringLiteral(" (") + Fehlertext + u')',
                TMsgDlgType::mtError, mbOK, 0);
}

}  // namespace kiro
