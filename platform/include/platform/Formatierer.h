#pragma once
// Formats a removable drive as FAT32 without freezing the window: through UDisks2 over D-Bus
// where that service exists (an ordinary user may neither unmount a desktop-mounted stick nor
// open its device; polkit asks), otherwise by unmounting and running mkfs.fat directly.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QProcess;

namespace kiro::platform {

inline constexpr const char* FormatBezeichnung = "KIRO3HEIM";

class TFormatierer : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  // Starts the format of Geraet (a device node or image file), unmounting Einhaengepunkt first
  // when it is not "". Returns false with *Fehler set when nothing could be started; otherwise
  // Fertig follows exactly once.
  virtual bool Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) = 0;

 signals:
  void Fertig(bool Erfolg, const QString& Fehler);
};

// Unmounts and runs mkfs.fat as a child process with an argument vector (never a shell).
class TMkfsFormatierer : public TFormatierer {
  Q_OBJECT
 public:
  explicit TMkfsFormatierer(QString Programm = QStringLiteral("/usr/sbin/mkfs.fat"), QObject* parent = nullptr);
  ~TMkfsFormatierer() override;
  bool Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) override;
  // The arguments given to mkfs.fat for a device.
  static QStringList Argumente(const QString& Geraet);

 private:
  QString FProgramm;
  std::unique_ptr<QProcess> FProzess;
};

// Unmount, Block.Format "vfat" with the label, mount again, through the UDisks2 service.
class TUDisksFormatierer : public TFormatierer {
  Q_OBJECT
 public:
  explicit TUDisksFormatierer(QDBusConnection Bus = QDBusConnection::systemBus(), QObject* parent = nullptr);
  bool Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) override;
  // True when the UDisks2 service runs on the bus or can be started by it. Waits for the
  // bus: not for the window's thread (TSystemFormatierer asks without waiting).
  static bool Verfuegbar(const QDBusConnection& Bus);

 private:
  void Aufrufen(const QString& Pfad, const QString& Schnittstelle, const QString& Methode, const QVariantList& Args,
                std::function<void(const QDBusMessage&)> Weiter, bool FehlerHinnehmen = false);
  void Beenden(bool Erfolg, const QString& Fehler);
  QDBusConnection FBus;
  bool FLaeuft = false;
};

// Formats through UDisks2 when the bus has it, else with mkfs.fat. Whether UDisks2 is there is
// asked at the first start, asynchronously and with a short time-out (a slow or hung bus never
// freezes the window; no answer counts as "not there"), and the answer is kept in *Antwort
// when given, so a program asks once.
class TSystemFormatierer : public TFormatierer {
  Q_OBJECT
 public:
  TSystemFormatierer(QDBusConnection Bus, QString Mkfs, std::optional<bool>* Antwort = nullptr, int ZeitlimitMs = 1500,
                     QObject* parent = nullptr);
  ~TSystemFormatierer() override;
  bool Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) override;

 private:
  void Weiter(bool UDisks);
  QDBusConnection FBus;
  QString FMkfs;
  std::optional<bool>* FAntwort;
  std::optional<bool> FEigeneAntwort;
  int FZeitlimitMs;
  bool FLaeuft = false;
  QString FGeraet, FEinhaengepunkt;
  std::unique_ptr<TFormatierer> FWeg;
};

// The formatter that fits this system.
std::unique_ptr<TFormatierer> FormatiererErzeugen(QObject* parent = nullptr);

}  // namespace kiro::platform
