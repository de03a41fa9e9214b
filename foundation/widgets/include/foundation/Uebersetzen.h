#pragma once
// Window translation: a window's captions, hints and list items are replaced by the catalogue's
// texts for keys formed from the window's and its components' object names
// ("FormDateiInfo.ButtonOK.Caption"). A component whose dynamic property "Tag" is not 0 keeps
// its texts. A labelled edit is a component whose property "EditLabel" holds its caption QLabel.
#include <QWidget>

class QAbstractButton;
class QLabel;

namespace kiro {

class TSprachtabelle;

// Called once while the window is created, before it is shown: follows the settings' language
// when there are settings, translates through the global catalogue when there is one, and gives
// every action without a tool tip its text without accelerator marks as tool tip.
void FormularUebersetzen(QWidget* Fenster);

// Applies the catalogue's texts to the window and its components; an empty or missing text
// leaves the property as it is.
void KomponentenUebersetzen(TSprachtabelle& Tabelle, QWidget* Fenster);

// Names a control for screen readers after its caption label, as translated: item views and
// combo boxes take no name from a label on their own. Call it after the window's translation.
void NachBeschriftungBenennen(QWidget* Steuerelement, QLabel* Beschriftung);

// An image-only button keeps its (empty) caption in every language (Tag 1), but says what it
// does: the catalogue's text for its ".Hint" key, else the designed text Entwurf, becomes its
// tool tip and its name for screen readers.
void BildknopfBenennen(QAbstractButton* Knopf, const QString& Entwurf);

// The text with its accelerator marks removed: "&&" becomes "&", every other "&" goes.
QString OhneKuerzel(const QString& Text);

}  // namespace kiro
