// TEST DOUBLE of the text catalogue and the settings global, for datafiles' tests, fuzzer and
// benchmark only: the German texts of the XML reader's and writer's keys. Remove once the real
// catalogue and settings object are linked in.
#include "foundation/Einstellungen.h"
#include "foundation/Sprachtabelle.h"

namespace kiro {

TSprachtabelle* Sprachtabelle = nullptr;
TEinstellungen* Einstellungen = nullptr;

QString Text(const QString& Schluessel) {
  static const QHash<QString, QString> texte = {
      {QStringLiteral("KiroXML.DateiLaden"), QStringLiteral("Datei \"%s\" nicht gefunden")},
      {QStringLiteral("KiroXML.XMLUnbekanntKnoten"),
       QStringLiteral("Unbekannter xml-Knoten \"%s\" in Datei \"%s\", Zeile %d (%d. Zeichen)")},
      {QStringLiteral("KiroXML.XMLUnbekanntAttribut"),
       QStringLiteral("Unbekanntes xml-Attribut \"%s\" in Datei \"%s\", Zeile %d (%d. Zeichen)")},
      {QStringLiteral("KiroXML.DateiZuLang"), QStringLiteral("Datei \"%s\" hat mehr als %d Zeichen")},
      {QStringLiteral("KiroXML.DateiSpeichern"), QStringLiteral("Datei \"%s\" konnte nicht gespeichert werden")},
  };
  return texte.value(Schluessel);
}

}  // namespace kiro
