#include "foundation/Pfade.h"

#include <QDir>
#include <QFileInfo>

namespace kiro {

std::optional<QStringList> SichereKomponenten(const QString& Name) {
  if (Name.isEmpty()) return std::nullopt;
  for (QChar c : Name)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u':') return std::nullopt;
  QString n = Name;
  n.replace(u'\\', u'/');
  if (n.startsWith(u'/')) return std::nullopt;
  if (n.endsWith(u'/')) n.chop(1);
  const QStringList teile = n.split(u'/');
  for (const QString& t : teile)
    if (t.isEmpty() || t == u"." || t == u"..") return std::nullopt;
  return teile;
}

std::optional<QString> SicherVerbinden(const QString& Basis, const QString& Name) {
  const auto teile = SichereKomponenten(Name);
  if (!teile) return std::nullopt;
  QString basis = Basis;
  if (!basis.isEmpty() && !basis.endsWith(u'/')) basis += u'/';
  return basis + teile->join(u'/');
}

std::optional<QString> SicherVerbindenOhneGrossKlein(const QString& Basis, const QString& Name) {
  const auto teile = SichereKomponenten(Name);
  if (!teile) return std::nullopt;
  QString pfad = Basis;
  if (!pfad.isEmpty() && !pfad.endsWith(u'/')) pfad += u'/';
  bool vorhanden = true;
  for (qsizetype i = 0; i < teile->size(); ++i) {
    QString teil = teile->at(i);
    if (vorhanden && !QFileInfo::exists(pfad + teil)) {
      const QDir ordner(pfad.isEmpty() ? QStringLiteral(".") : pfad);
      const QStringList eintraege =
          ordner.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
      vorhanden = false;
      for (const QString& e : eintraege)
        if (e.compare(teil, Qt::CaseInsensitive) == 0) {
          teil = e;
          vorhanden = true;
          break;
        }
    }
    pfad += teil;
    if (i + 1 < teile->size()) pfad += u'/';
  }
  return pfad;
}

}  // namespace kiro
