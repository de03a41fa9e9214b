#pragma once
// What a screen reader hears of this process, read as a screen reader reads it: over the
// accessibility bus (AT-SPI), not through Qt's interfaces inside the process. The test program
// runs under scripts/atspi-bus.sh, which gives it a session bus with at-spi2's bus launcher on it.
//
// The program answers the bus in its own event loop, so every call here waits in a local event
// loop of its own.
#include <QDBusConnection>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kiro::test {

class TBildschirmleser {
 public:
  // One object on the bus: the bus name of its program and its path there.
  struct TKnoten {
    QString Dienst;
    QString Pfad;
    bool operator==(const TKnoten&) const = default;
  };
  // One event the program sent (org.a11y.atspi.Event.Object), with its first text argument
  // (the property's name, the state's name) and the value it carried as text.
  struct TEreignis {
    QString Art;      // "PropertyChange", "StateChanged", "TextChanged", ...
    QString Detail;   // "accessible-name", "focused", "insert", ...
    QString Wert;     // what a reader would say: the new name, the inserted text
    QString Pfad;
  };

  TBildschirmleser();
  ~TBildschirmleser();

  // Why the bus cannot be read (no address, no connection, this program not on it); "" when it can.
  QString Hindernis() const { return FHindernis; }

  // The program's root object, then a search below it: the first object (depth first) with this
  // role (AT-SPI's numbers, e.g. 11 combo box) and accessible name.
  TKnoten Wurzel() const { return {FDienst, QStringLiteral("/org/a11y/atspi/accessible/root")}; }
  std::optional<TKnoten> Suchen(const QString& Name, unsigned Rolle) const;

  QString Name(const TKnoten& k) const;
  QString Beschreibung(const TKnoten& k) const;
  unsigned Rolle(const TKnoten& k) const;
  QStringList Schnittstellen(const TKnoten& k) const;
  QList<TKnoten> Kinder(const TKnoten& k) const;
  // The whole text of the Text interface; nullopt without one.
  std::optional<QString> Text(const TKnoten& k) const;
  // The selected children of the Selection interface.
  QList<TKnoten> Ausgewaehlt(const TKnoten& k) const;

  // Asks the registry for every object event, as a screen reader does at its start (programs
  // send only what someone listens for), and records them from then on.
  void Zuhoeren();
  const QList<TEreignis>& Ereignisse() const { return FEreignisse; }
  void EreignisseLeeren() { FEreignisse.clear(); }
  // Runs the event loop until Bedingung holds or Millisekunden pass; the final state of Bedingung.
  static bool Warten(const std::function<bool()>& Bedingung, int Millisekunden = 5000);

 private:
  QVariant Eigenschaft(const TKnoten& k, const char* Schnittstelle, const char* Name) const;
  QList<QVariant> Aufruf(const TKnoten& k, const char* Schnittstelle, const char* Methode,
                         const QList<QVariant>& Argumente = {}) const;
  void EreignisEmpfangen(const class QDBusMessage& Nachricht);

  QDBusConnection FBus;
  QString FDienst;
  QString FHindernis;
  QList<TEreignis> FEreignisse;
  friend class TEreignisEmpfaenger;
  class TEreignisEmpfaenger* FEmpfaenger = nullptr;
};

}  // namespace kiro::test
