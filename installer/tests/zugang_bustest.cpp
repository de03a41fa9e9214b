// The main window as a screen reader hears it: read over the accessibility bus, not through
// Qt's interfaces inside the process.
#include "support/Fensterumgebung.h"
#include "testsupport/Bildschirmleser.h"

#include <QTimer>

using namespace kiro;
using kiro::test::TBildschirmleser;
using kiro::test::TFehlerbild;

namespace {

constexpr unsigned kRolleBild = 27;   // ATSPI_ROLE_IMAGE
constexpr unsigned kRolleLabel = 29;  // ATSPI_ROLE_LABEL

class Bildschirmleser : public test::Fensterumgebung {};

// What a reader learns of one light: its role, its name and its description.
struct TLicht {
  unsigned Rolle = 0;
  QString Name, Beschreibung;
  QString Pfad;
};

// The light named Name: the first object of that name that is not its caption's label.
TLicht Hoeren(const TBildschirmleser& Leser, const QString& Name) {
  QList<TBildschirmleser::TKnoten> offen{Leser.Wurzel()};
  while (!offen.isEmpty()) {
    const TBildschirmleser::TKnoten k = offen.takeFirst();
    if (Leser.Name(k) == Name && Leser.Rolle(k) != kRolleLabel)
      return {Leser.Rolle(k), Name, Leser.Beschreibung(k), k.Pfad};
    offen = Leser.Kinder(k) + offen;
  }
  return {0, QStringLiteral("<not found>"), {}, {}};
}

}  // namespace

// Each light is an image named by its caption and described by its state, in the window's
// language: before the first server test answers, after it, and when the server is lost; the
// server light's change is announced.
TEST_F(Bildschirmleser, TheLightsSayTheirState) {
  TBildschirmleser leser;
  if (!leser.Hindernis().isEmpty()) GTEST_SKIP() << leser.Hindernis().toStdString();
  leser.Zuhoeren();
  struct Fall {
    bool Englisch;
    bool Internet;
    QString InternetName, ServerName, An, Aus;
  };
  const QString host = QUrl(Server.BasisUrl()).host();
  for (const Fall& c : {Fall{false, true, "Verbindung zum Internetrouter", "Verbindung zu " + host, "Verbunden",
                             "Nicht verbunden"},
                        Fall{true, false, "Connection to internet router", "Connection to " + host, "Connected",
                             "Not connected"}}) {
    SCOPED_TRACE(c.Englisch ? "English" : "Deutsch");
    Internet = c.Internet;
    Server.Fehler("/db/servertest.txt", TFehlerbild{.StauVorKopfMs = 3000});
    auto f = Fenster(TEdition{true, false, false, false});
    if (c.Englisch) f->ActionEnglish->trigger();
    TLicht internetVorher, serverVorher;
    QTimer::singleShot(300, f.get(), [&] {
      internetVorher = Hoeren(leser, c.InternetName);
      serverVorher = Hoeren(leser, c.ServerName);
      leser.EreignisseLeeren();
    });
    f->show();
    ASSERT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_hakengruen1");
    // Whether the reader was told that the light's description changed. Qt's bridge names the
    // object in the event, not the new text: a reader asks the object, as below.
    auto angesagt = [&](const QString& Pfad) {
      return TBildschirmleser::Warten([&] {
        for (const auto& e : leser.Ereignisse())
          if (e.Pfad == Pfad && e.Art == "PropertyChange" && e.Detail == "accessible-description") return true;
        return false;
      });
    };
    const bool anGesagt = angesagt(serverVorher.Pfad);
    const TLicht internetNachher = Hoeren(leser, c.InternetName), serverNachher = Hoeren(leser, c.ServerName);

    leser.EreignisseLeeren();
    Server.Fehler("/db/servertest.txt", TFehlerbild{.Status = 404});
    f->OberflaecheAktualisieren();
    const bool ausGesagt = angesagt(serverVorher.Pfad);
    const TLicht serverWeg = Hoeren(leser, c.ServerName);

    const QString internet = c.Internet ? c.An : c.Aus;
    for (const TLicht* l : std::initializer_list<const TLicht*>{&internetVorher, &serverVorher, &internetNachher,
                                                                &serverNachher, &serverWeg}) {
      SCOPED_TRACE(l->Name.toStdString());
      EXPECT_EQ(l->Rolle, kRolleBild);
    }
    EXPECT_EQ(internetVorher.Beschreibung.toStdString(), internet.toStdString());
    EXPECT_EQ(serverVorher.Beschreibung.toStdString(), c.Aus.toStdString());
    EXPECT_EQ(internetNachher.Beschreibung.toStdString(), internet.toStdString());
    EXPECT_EQ(serverNachher.Beschreibung.toStdString(), c.An.toStdString());
    EXPECT_EQ(serverWeg.Beschreibung.toStdString(), c.Aus.toStdString());
    QStringList gehoert;
    for (const auto& e : leser.Ereignisse()) gehoert << e.Pfad + u' ' + e.Art + u' ' + e.Detail + ": " + e.Wert;
    EXPECT_TRUE(anGesagt) << "server light " << serverVorher.Pfad.toStdString();
    EXPECT_TRUE(ausGesagt) << gehoert.join("\n").toStdString();
  }
}
