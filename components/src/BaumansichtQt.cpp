#include "components/BaumansichtQt.h"

#include "foundation/Formatieren.h"
#include "foundation/Protokoll.h"
#include "platform/Shell.h"

namespace kiro {

TBaumAnsichtQt::TBaumAnsichtQt(QTreeWidget& Baum, TBilder Bilder) : FBaum(Baum), FBilder(std::move(Bilder)) {}

QTreeWidgetItem* TBaumAnsichtQt::Knoten(const QString& Text, int Bild) const {
  auto* k = new QTreeWidgetItem(QStringList{Text});
  k->setData(0, BildRolle, Bild);
  if (FBilder) k->setIcon(0, FBilder(Bild));
  return k;
}

IBaumAnsicht::TKnoten TBaumAnsichtQt::WurzelVorneEinfuegen(const QString& Text, int Bild) {
  QTreeWidgetItem* k = Knoten(Text, Bild);
  FBaum.insertTopLevelItem(0, k);
  return k;
}

IBaumAnsicht::TKnoten TBaumAnsichtQt::KindAnhaengen(TKnoten Eltern, const QString& Text, int Bild, int Daten) {
  QTreeWidgetItem* k = Knoten(Text, Bild);
  k->setData(0, DatenRolle, Daten);
  // The handle came from this adapter; the tree owns the item.
  static_cast<QTreeWidgetItem*>(const_cast<void*>(Eltern))->addChild(k);
  return k;
}

void TBaumAnsichtQt::AllesAufklappen() { FBaum.expandAll(); }

void TWarnseiteShell::Zeigen(const QString& Adresse) {
  if (!FShell.Oeffnen(Adresse))
    Protokollieren(QString(), Formatieren(QStringLiteral("Seite %s nicht geöffnet"), {Adresse}), 2);
}

}  // namespace kiro
