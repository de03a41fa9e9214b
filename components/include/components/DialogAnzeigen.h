#pragma once
// How the header dialogs are shown modally, and how their handlers keep errors inside. Showing
// goes through one hook so tests can act as the user on the real dialog (the dialogs open each
// other, so a test must reach the inner one too).
#include "foundation/Meldung.h"

#include <QString>

#include <functional>

class QDialog;

namespace kiro {

// Shows the dialog and answers its TModalResult (mrOk for accepted, mrCancel for rejected).
using TDialogAnzeigen = std::function<int(QDialog&)>;

int DialogAnzeigen(QDialog& Dialog);
// Installs the hook; returns the previous one. An empty hook restores QDialog::exec.
TDialogAnzeigen DialogAnzeigenSetzen(TDialogAnzeigen Anzeigen);

// Runs a handler's work; an exception it throws is logged (type 2) and shown in one message
// box, so nothing crosses the event loop. False when it threw.
bool Abgesichert(const QString& Was, const std::function<void()>& Arbeit);

// A handler's failure the user must see: one log line (type 2) and one error box, which names
// the system's reason Fehlertext in brackets when there is one.
void FehlerMelden(const QString& Fehler, const QString& Fehlertext = QString());

}  // namespace kiro
