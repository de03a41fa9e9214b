#pragma once
// What the data-file model needs of a log view and a status bar, without any widget.
#include <QString>

namespace kiro {

// A log view: lines are appended; Fehler marks the next line as an error.
class IProtokollAnsicht {
 public:
  virtual ~IProtokollAnsicht() = default;
  virtual void Grundzustand() = 0;
  virtual void Fehler() = 0;
  virtual void NeuesThema() = 0;
  virtual void Eintrag(const QString& Text) = 0;
};

// A status bar that shows one text.
class IStatusAnzeige {
 public:
  virtual ~IStatusAnzeige() = default;
  virtual void SimpleTextSetzen(const QString& Text) = 0;
};

}  // namespace kiro
