#pragma once
// What the data-file model needs of a log view and a status bar, without any widget.
#include <QString>

namespace kiro {

// The colour of one log line: grey for what is about to happen, teal for a command handed to
// another program, bold red for an error, the plain style otherwise.
enum class TZeilenFarbe { Standard, Grau, Petrol, Fehler };

// A log view: lines are appended; Fehler marks the next line as an error.
class IProtokollAnsicht {
 public:
  virtual ~IProtokollAnsicht() = default;
  virtual void Grundzustand() = 0;
  virtual void Fehler() = 0;
  virtual void NeuesThema() = 0;
  virtual void Eintrag(const QString& Text) = 0;
  // Appends one line in the given colour, whatever the next line's style was; the style after
  // it is the plain one.
  virtual void Eintrag(const QString& Text, TZeilenFarbe Farbe) = 0;
};

// A status bar that shows one text.
class IStatusAnzeige {
 public:
  virtual ~IStatusAnzeige() = default;
  virtual void SimpleTextSetzen(const QString& Text) = 0;
};

}  // namespace kiro
