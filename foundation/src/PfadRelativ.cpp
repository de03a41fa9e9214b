#include "PfadRelativ.h"

#include <QStringList>

namespace kiro {

QString RelativZuOrdner(const QString& Basis, const QString& Pfad) {
  const bool basisAbsolut = Basis.startsWith(u'/');
  if (basisAbsolut != Pfad.startsWith(u'/')) return Pfad;
  const QStringList basis = Basis.split(u'/', Qt::SkipEmptyParts);
  const qsizetype trenner = Pfad.lastIndexOf(u'/');
  const QString name = Pfad.mid(trenner + 1);
  const QStringList ordner = Pfad.left(trenner + 1).split(u'/', Qt::SkipEmptyParts);
  qsizetype gleich = 0;
  while (gleich < basis.size() && gleich < ordner.size() && basis[gleich] == ordner[gleich]) ++gleich;
  QString ergebnis;
  for (qsizetype i = gleich; i < basis.size(); ++i) ergebnis += QStringLiteral("../");
  for (qsizetype i = gleich; i < ordner.size(); ++i) ergebnis += ordner[i] + u'/';
  return ergebnis + name;
}

}  // namespace kiro
