#pragma once
// The text catalogue: texts by key, built-in German texts overridden key by key by the
// language file "text.txt" below Programmverzeichnis + "_InstSetup/language/<folder>/".
// A missing key yields "" and never an error.
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

namespace kiro {

// One parsed line of a language file.
struct TMehrsprachigEintrag {
  QString IDString;
  QString Bezeichnung;
};

class TSprachtabelle {
 public:
  TSprachtabelle();
  ~TSprachtabelle();

  // The text of the key; loads first when not loaded yet.
  QString TextHolen(const QString& Schluessel);
  // Chooses the language folder; reloads when the name differs (ignoring the case of a-z).
  void SpracheSetzen(const QString& Ordner);
  // (Re)builds the catalogue: built-in texts, then the language file.
  void Laden();
  // Releases both lists; every TextHolen yields "" until the next Laden.
  void Leeren();
  // Appends the built-in key/text pairs.
  void StandardtexteEintragen();

  // Parses one raw line of a language file; a rejected line gives two empty fields.
  static TMehrsprachigEintrag EintragLesen(const QString& Zeile);

  QString Sprachordner;
  bool PlatzhalterPruefen = false;
  bool Geladen = false;

  // Number of entries (0 when the lists are absent).
  int Anzahl() const;
  const QStringList& Schluessel() const { return FSchluessel; }
  const QStringList& Texte() const { return FTexte; }

 private:
  void Anfuegen(const QString& Schluessel, const QString& Text);
  QString Sprachdatei() const;
  bool FVorhanden = false;  // the lists exist (false after Leeren)
  bool FLaedt = false;      // inside Laden
  QStringList FSchluessel;
  QStringList FTexte;
  QHash<QString, int> FIndex;  // first entry of each key
};

// The program's one catalogue; created at start by the host (see SprachtabelleErzeugen).
extern TSprachtabelle* Sprachtabelle;

// Creates the global catalogue if there is none yet and returns it.
TSprachtabelle* SprachtabelleErzeugen();

// Sprachtabelle->TextHolen(Schluessel); creates the catalogue first when there is none.
QString Text(const QString& Schluessel);

}  // namespace kiro
