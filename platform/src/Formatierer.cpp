#include "platform/Formatierer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

namespace kiro::platform {

namespace {
const QString kDienst = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kDateisystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
constexpr int kFormatZeitMs = 30 * 60 * 1000;  // a slow stick takes long; never hang forever
}  // namespace

// ---- mkfs.fat -------------------------------------------------------------------------------

TMkfsFormatierer::TMkfsFormatierer(QString Programm, QObject* parent)
    : TFormatierer(parent), FProgramm(std::move(Programm)) {}

TMkfsFormatierer::~TMkfsFormatierer() {
  if (FProzess && FProzess->state() != QProcess::NotRunning) {
    FProzess->disconnect(this);
    FProzess->waitForFinished(-1);  // never leave a half-written file system behind unwatched
  }
}

QStringList TMkfsFormatierer::Argumente(const QString& Geraet) {
  return {QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-n"), QString::fromLatin1(FormatBezeichnung), Geraet};
}

bool TMkfsFormatierer::Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) {
  auto fehler = [&](const QString& t) {
    if (Fehler) *Fehler = t;
    return false;
  };
  if (FProzess && FProzess->state() != QProcess::NotRunning) return fehler(QStringLiteral("a format is already running"));
  if (Geraet.isEmpty() || Geraet == u"/") return fehler(QStringLiteral("no device"));
  if (!Einhaengepunkt.isEmpty()) {
    QString mp = Einhaengepunkt;
    if (mp.size() > 1 && mp.endsWith(u'/')) mp.chop(1);
    if (::umount2(QFile::encodeName(mp).constData(), 0) != 0)
      return fehler(QStringLiteral("umount %1: %2").arg(mp, QString::fromLocal8Bit(std::strerror(errno))));
  }
  FProzess = std::make_unique<QProcess>();
  FProzess->setProcessChannelMode(QProcess::MergedChannels);
  connect(FProzess.get(), &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
    const QString ausgabe = QString::fromLocal8Bit(FProzess->readAll()).trimmed();
    const bool ok = status == QProcess::NormalExit && code == 0;
    emit Fertig(ok, ok ? QString() : (ausgabe.isEmpty() ? QStringLiteral("mkfs.fat exit code %1").arg(code) : ausgabe));
  });
  FProzess->start(FProgramm, Argumente(Geraet));
  if (!FProzess->waitForStarted(10000)) {
    const QString t = FProzess->errorString();
    FProzess->disconnect(this);
    FProzess.reset();
    return fehler(t);
  }
  return true;
}

// ---- UDisks2 --------------------------------------------------------------------------------

TUDisksFormatierer::TUDisksFormatierer(QDBusConnection Bus, QObject* parent) : TFormatierer(parent), FBus(std::move(Bus)) {}

bool TUDisksFormatierer::Verfuegbar(const QDBusConnection& Bus) {
  if (!Bus.isConnected() || !Bus.interface()) return false;
  if (Bus.interface()->isServiceRegistered(kDienst)) return true;
  const QDBusReply<QStringList> aktivierbar = Bus.interface()->call(QStringLiteral("ListActivatableNames"));
  return aktivierbar.isValid() && aktivierbar.value().contains(kDienst);
}

void TUDisksFormatierer::Beenden(bool Erfolg, const QString& Fehler) {
  FLaeuft = false;
  emit Fertig(Erfolg, Fehler);
}

void TUDisksFormatierer::Aufrufen(const QString& Pfad, const QString& Schnittstelle, const QString& Methode,
                                  const QVariantList& Args, std::function<void(const QDBusMessage&)> Weiter,
                                  bool FehlerHinnehmen) {
  QDBusMessage m = QDBusMessage::createMethodCall(kDienst, Pfad, Schnittstelle, Methode);
  m.setArguments(Args);
  m.setInteractiveAuthorizationAllowed(true);
  auto* w = new QDBusPendingCallWatcher(FBus.asyncCall(m, kFormatZeitMs), this);
  connect(w, &QDBusPendingCallWatcher::finished, this,
          [this, w, Weiter = std::move(Weiter), FehlerHinnehmen, Methode](QDBusPendingCallWatcher*) {
            w->deleteLater();
            const QDBusMessage antwort = w->reply();
            if (antwort.type() == QDBusMessage::ErrorMessage && !FehlerHinnehmen) {
              Beenden(false, QStringLiteral("%1: %2").arg(Methode, antwort.errorMessage()));
              return;
            }
            Weiter(antwort);
          });
}

bool TUDisksFormatierer::Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) {
  if (FLaeuft || Geraet.isEmpty() || !FBus.isConnected()) {
    if (Fehler) *Fehler = FLaeuft ? QStringLiteral("a format is already running") : QStringLiteral("no device or bus");
    return false;
  }
  FLaeuft = true;
  const QVariantMap keine;
  QVariantMap spec;
  spec.insert(QStringLiteral("path"), Geraet);
  const bool eingehaengt = !Einhaengepunkt.isEmpty();
  Aufrufen(QStringLiteral("/org/freedesktop/UDisks2/Manager"), QStringLiteral("org.freedesktop.UDisks2.Manager"),
           QStringLiteral("ResolveDevice"), {spec, keine}, [this, keine, eingehaengt](const QDBusMessage& a) {
             const auto pfade = qdbus_cast<QList<QDBusObjectPath>>(a.arguments().value(0));
             if (pfade.isEmpty()) {
               Beenden(false, QStringLiteral("UDisks2 does not know the device"));
               return;
             }
             const QString block = pfade.first().path();
             auto formatieren = [this, block, keine](const QDBusMessage&) {
               QVariantMap opt;
               opt.insert(QStringLiteral("label"), QString::fromLatin1(FormatBezeichnung));
               Aufrufen(block, kBlock, QStringLiteral("Format"), {QStringLiteral("vfat"), opt},
                        [this, block, keine](const QDBusMessage&) {
                          // Mounting again is a courtesy to the desktop; the format itself succeeded.
                          Aufrufen(block, kDateisystem, QStringLiteral("Mount"), {keine},
                                   [this](const QDBusMessage&) { Beenden(true, {}); }, true);
                        });
             };
             if (eingehaengt)
               Aufrufen(block, kDateisystem, QStringLiteral("Unmount"), {keine}, formatieren);
             else
               formatieren(QDBusMessage());
           });
  return true;
}

// ---- the system's choice ---------------------------------------------------------------------

TSystemFormatierer::TSystemFormatierer(QDBusConnection Bus, QString Mkfs, std::optional<bool>* Antwort,
                                       int ZeitlimitMs, QObject* parent)
    : TFormatierer(parent),
      FBus(std::move(Bus)),
      FMkfs(std::move(Mkfs)),
      FAntwort(Antwort ? Antwort : &FEigeneAntwort),
      FZeitlimitMs(ZeitlimitMs) {}

TSystemFormatierer::~TSystemFormatierer() = default;

bool TSystemFormatierer::Starten(const QString& Geraet, const QString& Einhaengepunkt, QString* Fehler) {
  if (FLaeuft) {
    if (Fehler) *Fehler = QStringLiteral("a format is already running");
    return false;
  }
  FLaeuft = true;
  FGeraet = Geraet;
  FEinhaengepunkt = Einhaengepunkt;
  if (FAntwort->has_value() || !FBus.isConnected()) {
    // Decided already (or no bus at all): still from the event loop, as the answer would come.
    const bool udisks = FAntwort->value_or(false);
    QMetaObject::invokeMethod(this, [this, udisks] { Weiter(udisks); }, Qt::QueuedConnection);
    return true;
  }
  auto fragen = [this](const QString& Methode, const QVariantList& Args) {
    QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                    QStringLiteral("org.freedesktop.DBus"), Methode);
    m.setArguments(Args);
    return new QDBusPendingCallWatcher(FBus.asyncCall(m, FZeitlimitMs), this);
  };
  // Running now, or startable by the bus: two questions, the second only when needed.
  auto* laeuft = fragen(QStringLiteral("NameHasOwner"), {kDienst});
  connect(laeuft, &QDBusPendingCallWatcher::finished, this, [this, laeuft, fragen] {
    laeuft->deleteLater();
    const QDBusPendingReply<bool> a = *laeuft;
    if (a.isValid() && a.value()) {
      Weiter(true);
      return;
    }
    if (a.isError() && a.error().type() == QDBusError::NoReply) {
      Weiter(false);  // the bus does not answer: no second wait
      return;
    }
    auto* startbar = fragen(QStringLiteral("ListActivatableNames"), {});
    connect(startbar, &QDBusPendingCallWatcher::finished, this, [this, startbar] {
      startbar->deleteLater();
      const QDBusPendingReply<QStringList> b = *startbar;
      Weiter(b.isValid() && b.value().contains(kDienst));
    });
  });
  return true;
}

void TSystemFormatierer::Weiter(bool UDisks) {
  *FAntwort = UDisks;
  if (UDisks) FWeg = std::make_unique<TUDisksFormatierer>(FBus);
  else FWeg = std::make_unique<TMkfsFormatierer>(FMkfs);
  connect(FWeg.get(), &TFormatierer::Fertig, this, [this](bool Erfolg, const QString& Fehler) {
    FLaeuft = false;
    emit Fertig(Erfolg, Fehler);
  });
  QString fehler;
  if (!FWeg->Starten(FGeraet, FEinhaengepunkt, &fehler)) {
    FLaeuft = false;
    emit Fertig(false, fehler);
  }
}

std::unique_ptr<TFormatierer> FormatiererErzeugen(QObject* parent) {
  // Asked once per program run.
  static std::optional<bool> udisks;
  return std::make_unique<TSystemFormatierer>(QDBusConnection::systemBus(), QStringLiteral("/usr/sbin/mkfs.fat"),
                                              &udisks, 1500, parent);
}

}  // namespace kiro::platform
