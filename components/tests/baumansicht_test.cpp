#include "components/BaumansichtQt.h"

#include "platform/Shell.h"
#include "testsupport/Protokollfaenger.h"

#include <QPixmap>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

TEST(BaumAnsichtQt, WurzelnVorneKinderHintenBilderNachIndex) {
  QTreeWidget baum;
  baum.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("Alt")}));
  QList<int> gefragt;
  TBaumAnsichtQt ansicht(baum, [&](int Bild) {
    gefragt << Bild;
    QPixmap p(4, 4);
    p.fill(Bild == 3 ? Qt::red : Qt::green);
    return QIcon(p);
  });
  const auto b = ansicht.WurzelVorneEinfuegen(QStringLiteral("B"), 0);
  const auto a = ansicht.WurzelVorneEinfuegen(QStringLiteral("A"), 0);
  ansicht.KindAnhaengen(b, QStringLiteral("b1"), 2, 7);
  ansicht.KindAnhaengen(b, QStringLiteral("b2"), 3, 9);
  ansicht.KindAnhaengen(a, QStringLiteral("a1"), 4, 0);
  ansicht.AllesAufklappen();

  ASSERT_EQ(baum.topLevelItemCount(), 3);
  EXPECT_EQ(baum.topLevelItem(0)->text(0), QStringLiteral("A"));
  EXPECT_EQ(baum.topLevelItem(1)->text(0), QStringLiteral("B"));
  EXPECT_EQ(baum.topLevelItem(2)->text(0), QStringLiteral("Alt"));
  const QTreeWidgetItem* kB = baum.topLevelItem(1);
  ASSERT_EQ(kB->childCount(), 2);
  EXPECT_EQ(kB->child(1)->text(0), QStringLiteral("b2"));
  EXPECT_EQ(kB->child(1)->data(0, TBaumAnsichtQt::BildRolle).toInt(), 3);
  EXPECT_EQ(kB->child(1)->data(0, TBaumAnsichtQt::DatenRolle).toInt(), 9);
  EXPECT_FALSE(kB->child(1)->icon(0).isNull());
  EXPECT_TRUE(kB->isExpanded());
  EXPECT_TRUE(baum.topLevelItem(0)->isExpanded());
  EXPECT_EQ(gefragt, (QList<int>{0, 0, 2, 3, 4}));
}

class TAufzeichnendeShell : public platform::TShell {
 public:
  QStringList Geoeffnet;
  bool Erfolg = true;
  bool Oeffnen(const QString& Adresse) override {
    Geoeffnet << Adresse;
    return Erfolg;
  }
  bool ProgrammStarten(const QString&) override { return false; }
};

TEST(WarnseiteShell, OeffnetDieSeiteUndMeldetEinenFehlschlag) {
  TAufzeichnendeShell shell;
  TWarnseiteShell seite(shell);
  test::TProtokollFaenger log;
  seite.Zeigen(QStringLiteral("http://127.0.0.1/warnung.htm"));
  EXPECT_EQ(shell.Geoeffnet, QStringList{QStringLiteral("http://127.0.0.1/warnung.htm")});
  EXPECT_TRUE(log.Zeilen().isEmpty());
  shell.Erfolg = false;
  seite.Zeigen(QStringLiteral("http://127.0.0.1/zwei.htm"));
  EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral("2 Seite http://127.0.0.1/zwei.htm nicht geöffnet")});
}

}  // namespace
