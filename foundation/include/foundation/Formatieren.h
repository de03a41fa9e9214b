#pragma once
// Fills the placeholders of a text template. Templates come from user-edited language files,
// so a missing, surplus or mismatched argument never crashes and never reads past the list.
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace kiro {

// Directives: "%" [index ":"] ["-"] [width] ["." precision] type, with the types
// s (text), d and u (whole number), x and X (hexadecimal), f (fixed, 2 decimals unless a
// precision is given, "." as separator), and "%%" for "%". A directive whose argument is
// missing is kept as written; an unknown type is kept as written; an argument of another kind
// is converted (a text that is no number gives 0 for d, u, x and f).
QString Formatieren(const QString& Vorlage, const QVariantList& Werte);

}  // namespace kiro
