#pragma once
// Read access to the registry values that install-script conditions name. Windows programs run
// here in a Wine prefix, whose registry lives in text files: "system.reg" holds the machine's keys,
// "user.reg" the user's. Behind an interface so tests read fixture files.
#include <QString>

namespace kiro::platform {

// The root keys a condition can name.
enum class TRegWurzel { ClassesRoot, CurrentUser, LocalMachine, Users, PerformanceData, CurrentConfig, DynData };

// The answer for one value.
struct TRegWert {
  enum TArt {
    Fehlt,    // no prefix, no file, no key or no value of that name
    Text,     // a string value (also an expandable one): Wert holds it
    KeinText  // the value exists but is no string (a number, binary data, a list): Typ names it
  };
  TArt Art = Fehlt;
  QString Wert;
  QString Typ;
};

class IRegistrierung {
 public:
  virtual ~IRegistrierung() = default;
  // The value Name of the key Schluessel below Wurzel; Schluessel separates its parts by "\",
  // an empty Name is the key's default value. Names compare without regard to case.
  virtual TRegWert WertLesen(TRegWurzel Wurzel, const QString& Schluessel, const QString& Name) const = 0;
};

// The registry of a Wine prefix. HKEY_CLASSES_ROOT is read as HKEY_LOCAL_MACHINE\Software\Classes;
// HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_PERFORMANCE_DATA and HKEY_DYN_DATA hold nothing.
class TWineRegistrierung : public IRegistrierung {
 public:
  // Praefix "": $WINEPREFIX when set, else "~/.wine", looked up anew at each read.
  explicit TWineRegistrierung(QString Praefix = {});
  TRegWert WertLesen(TRegWurzel Wurzel, const QString& Schluessel, const QString& Name) const override;
  // The prefix folder that a read now uses ("" when there is none to find).
  QString PraefixOrdner() const;

 private:
  QString FPraefix;
};

// The source install scripts ask: the user's Wine prefix unless one was set.
const IRegistrierung& Registrierung();
// Sets the source (borrowed; it must outlive its use); nullptr restores the user's prefix.
void RegistrierungSetzen(const IRegistrierung* Quelle);

}  // namespace kiro::platform
