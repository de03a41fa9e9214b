// TEST DOUBLE of the text catalogue: only the lookup, with the built-in German texts of the
// conversion messages. It lets the conversion tests link while the catalogue is not part of the
// library; remove it (and its line in CMakeLists.txt) once the catalogue is.
#include "foundation/Sprachtabelle.h"

namespace kiro {

TSprachtabelle* Sprachtabelle = nullptr;

QString Text(const QString& Schluessel) {
  static const QHash<QString, QString> texte = {
      {QStringLiteral("KiroAllgStandardoperationen.Integer"),
       QStringLiteral("Konvertierung von \"%s\" in ganze Zahl fehlgeschlagen")},
      {QStringLiteral("KiroAllgStandardoperationen.Single"),
       QStringLiteral("Konvertierung von \"%s\" in Gleitkommazahl fehlgeschlagen")},
      {QStringLiteral("KiroAllgStandardoperationen.DateTime"),
       QStringLiteral("Konvertierung von \"%s\" in ganze Datum/Zeit fehlgeschlagen")},
  };
  return texte.value(Schluessel);
}

}  // namespace kiro
