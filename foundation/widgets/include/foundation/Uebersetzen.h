#pragma once
// Window translation: a window's captions, hints and list items are replaced by the catalogue's
// texts for keys formed from the window's and its components' object names
// ("FormDateiInfo.ButtonOK.Caption"). A component whose dynamic property "Tag" is not 0 keeps
// its texts. A labelled edit is a component whose property "EditLabel" holds its caption QLabel.
#include <QWidget>

namespace kiro {

class TSprachtabelle;

// Called once while the window is created, before it is shown: follows the settings' language
// when there are settings, translates through the global catalogue when there is one, and gives
// every action without a tool tip its text without accelerator marks as tool tip.
void FormularUebersetzen(QWidget* Fenster);

// Applies the catalogue's texts to the window and its components; an empty or missing text
// leaves the property as it is.
void KomponentenUebersetzen(TSprachtabelle& Tabelle, QWidget* Fenster);

// The text with its accelerator marks removed: "&&" becomes "&", every other "&" goes.
QString OhneKuerzel(const QString& Text);

}  // namespace kiro
