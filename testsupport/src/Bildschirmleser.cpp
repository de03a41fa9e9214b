#include "testsupport/Bildschirmleser.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QThread>

namespace kiro::test {

namespace {

constexpr int kGeduld = 10000;  // milliseconds for one call; a loaded machine answers late
const QString kVerbindung = QStringLiteral("kiro_bildschirmleser");

QVariant Auspacken(QVariant v) {
  while (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
    v = v.value<QDBusVariant>().variant();
  return v;
}

QList<TBildschirmleser::TKnoten> Referenzen(const QVariant& v) {
  QList<TBildschirmleser::TKnoten> liste;
  if (v.userType() != qMetaTypeId<QDBusArgument>()) return liste;
  const QDBusArgument arg = v.value<QDBusArgument>();
  arg.beginArray();
  while (!arg.atEnd()) {
    QString dienst;
    QDBusObjectPath pfad;
    arg.beginStructure();
    arg >> dienst >> pfad;
    arg.endStructure();
    liste.append({dienst, pfad.path()});
  }
  arg.endArray();
  return liste;
}

std::optional<TBildschirmleser::TKnoten> Referenz(const QVariant& v) {
  if (v.userType() != qMetaTypeId<QDBusArgument>()) return std::nullopt;
  const QDBusArgument arg = v.value<QDBusArgument>();
  if (arg.currentType() != QDBusArgument::StructureType) return std::nullopt;
  QString dienst;
  QDBusObjectPath pfad;
  arg.beginStructure();
  arg >> dienst >> pfad;
  arg.endStructure();
  return TBildschirmleser::TKnoten{dienst, pfad.path()};
}

}  // namespace

class TEreignisEmpfaenger : public QObject {
  Q_OBJECT
 public:
  explicit TEreignisEmpfaenger(TBildschirmleser& Leser) : FLeser(Leser) {}
 public Q_SLOTS:
  void Empfangen(const QDBusMessage& Nachricht) { FLeser.EreignisEmpfangen(Nachricht); }

 private:
  TBildschirmleser& FLeser;
};

TBildschirmleser::TBildschirmleser() : FBus(QString()) {
  // Where the accessibility bus is, asked as every reader and every program asks: of at-spi2's
  // launcher on the session bus.
  const QDBusMessage antwort = QDBusConnection::sessionBus().call(
      QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                     QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
      QDBus::Block, kGeduld);
  const QString adresse = antwort.arguments().value(0).toString();
  if (adresse.isEmpty()) {
    FHindernis = QStringLiteral("no accessibility bus on the session bus (run under scripts/atspi-bus.sh)");
    return;
  }
  FBus = QDBusConnection::connectToBus(adresse, kVerbindung);
  if (!FBus.isConnected()) {
    FHindernis = QStringLiteral("no connection to ") + adresse;
    return;
  }
  // Asking starts Qt's bridge, which Qt otherwise builds only when something needs it.
  QAccessible::isActive();
  // This program's bridge: the other connection of this process on the bus that serves the root.
  const qint64 pid = QCoreApplication::applicationPid();
  const bool gefunden = Warten([&] {
    const QStringList namen = FBus.interface()->registeredServiceNames().value();
    for (const QString& n : namen) {
      if (!n.startsWith(u':') || n == FBus.baseService()) continue;
      if (FBus.interface()->servicePid(n).value() != pid) continue;
      FDienst = n;
      if (!Name(Wurzel()).isNull()) return true;
    }
    FDienst.clear();
    return false;
  });
  if (!gefunden) FHindernis = QStringLiteral("this program's accessibility bridge is not on the bus");
}

TBildschirmleser::~TBildschirmleser() {
  delete FEmpfaenger;
  QDBusConnection::disconnectFromBus(kVerbindung);
}

bool TBildschirmleser::Warten(const std::function<bool()>& Bedingung, int Millisekunden) {
  QDeadlineTimer frist(Millisekunden);
  while (!Bedingung()) {
    if (frist.hasExpired()) return Bedingung();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
  return true;
}

QList<QVariant> TBildschirmleser::Aufruf(const TKnoten& k, const char* Schnittstelle, const char* Methode,
                                         const QList<QVariant>& Argumente) const {
  QDBusMessage m = QDBusMessage::createMethodCall(k.Dienst, k.Pfad, QLatin1String(Schnittstelle),
                                                  QLatin1String(Methode));
  m.setArguments(Argumente);
  const QDBusMessage antwort = FBus.call(m, QDBus::BlockWithGui, kGeduld);
  if (antwort.type() != QDBusMessage::ReplyMessage) return {};
  return antwort.arguments();
}

QVariant TBildschirmleser::Eigenschaft(const TKnoten& k, const char* Schnittstelle, const char* Name) const {
  const QList<QVariant> a = Aufruf(k, "org.freedesktop.DBus.Properties", "Get",
                                   {QString::fromLatin1(Schnittstelle), QString::fromLatin1(Name)});
  return a.isEmpty() ? QVariant() : Auspacken(a.first());
}

QString TBildschirmleser::Name(const TKnoten& k) const {
  const QVariant v = Eigenschaft(k, "org.a11y.atspi.Accessible", "Name");
  return v.isValid() ? v.toString() : QString();
}

QString TBildschirmleser::Beschreibung(const TKnoten& k) const {
  return Eigenschaft(k, "org.a11y.atspi.Accessible", "Description").toString();
}

unsigned TBildschirmleser::Rolle(const TKnoten& k) const {
  const QList<QVariant> a = Aufruf(k, "org.a11y.atspi.Accessible", "GetRole");
  return a.isEmpty() ? 0 : a.first().toUInt();
}

QStringList TBildschirmleser::Schnittstellen(const TKnoten& k) const {
  const QList<QVariant> a = Aufruf(k, "org.a11y.atspi.Accessible", "GetInterfaces");
  return a.isEmpty() ? QStringList() : a.first().toStringList();
}

QList<TBildschirmleser::TKnoten> TBildschirmleser::Kinder(const TKnoten& k) const {
  const QList<QVariant> a = Aufruf(k, "org.a11y.atspi.Accessible", "GetChildren");
  return a.isEmpty() ? QList<TKnoten>() : Referenzen(a.first());
}

std::optional<QString> TBildschirmleser::Text(const TKnoten& k) const {
  if (!Schnittstellen(k).contains(QStringLiteral("org.a11y.atspi.Text"))) return std::nullopt;
  const QList<QVariant> a = Aufruf(k, "org.a11y.atspi.Text", "GetText", {0, -1});
  return a.isEmpty() ? std::nullopt : std::optional<QString>(a.first().toString());
}

QList<TBildschirmleser::TKnoten> TBildschirmleser::Ausgewaehlt(const TKnoten& k) const {
  QList<TKnoten> liste;
  if (!Schnittstellen(k).contains(QStringLiteral("org.a11y.atspi.Selection"))) return liste;
  const int anzahl = Eigenschaft(k, "org.a11y.atspi.Selection", "NSelectedChildren").toInt();
  for (int i = 0; i < anzahl; ++i) {
    const QList<QVariant> a = Aufruf(k, "org.a11y.atspi.Selection", "GetSelectedChild", {i});
    if (auto r = a.isEmpty() ? std::nullopt : Referenz(a.first())) liste.append(*r);
  }
  return liste;
}

std::optional<TBildschirmleser::TKnoten> TBildschirmleser::Suchen(const QString& Name, unsigned Rolle) const {
  QList<TKnoten> offen{Wurzel()};
  for (int schritte = 0; !offen.isEmpty() && schritte < 2000; ++schritte) {
    const TKnoten k = offen.takeFirst();
    if (this->Rolle(k) == Rolle && this->Name(k) == Name) return k;
    offen = Kinder(k) + offen;
  }
  return std::nullopt;
}

void TBildschirmleser::Zuhoeren() {
  if (FEmpfaenger) return;
  FEmpfaenger = new TEreignisEmpfaenger(*this);
  for (const char* art : {"PropertyChange", "StateChanged", "TextChanged", "TextCaretMoved", "SelectionChanged",
                          "ActiveDescendantChanged", "ChildrenChanged", "VisibleDataChanged"})
    FBus.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), QLatin1String(art),
                 FEmpfaenger, SLOT(Empfangen(QDBusMessage)));
  Aufruf({QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry")},
         "org.a11y.atspi.Registry", "RegisterEvent", {QStringLiteral("object:"), QStringList(), QString()});
  // The program learns of the listener by a signal of the registry; give it time to ask.
  Warten([] { return false; }, 300);
}

void TBildschirmleser::EreignisEmpfangen(const QDBusMessage& Nachricht) {
  if (Nachricht.service() != FDienst) return;
  const QList<QVariant> a = Nachricht.arguments();
  TEreignis e{Nachricht.member(), a.value(0).toString(), QString(), Nachricht.path()};
  const QVariant wert = Auspacken(a.value(3));
  if (auto r = Referenz(wert))
    e.Wert = r->Pfad;
  else
    e.Wert = wert.toString();
  FEreignisse.append(e);
}

}  // namespace kiro::test

#include "Bildschirmleser.moc"
