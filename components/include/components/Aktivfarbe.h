#pragma once
// The maker's components show by their background whether they take input: the window colour
// while enabled, the button face while disabled, whatever the style would draw.
#include <QColor>
#include <QPalette>

#include <initializer_list>

class QWidget;

namespace kiro {

// The background of Feld in its Rollen (Base, and Button for a combo drawn as a button) becomes
// the application's window colour when Feld is enabled, its button face when it is not.
void AktivfarbeSetzen(QWidget& Feld, std::initializer_list<QPalette::ColorRole> Rollen = {QPalette::Base});

// The two colours, as the application palette gives them.
QColor FensterFarbe();
QColor KnopfFarbe();

}  // namespace kiro
