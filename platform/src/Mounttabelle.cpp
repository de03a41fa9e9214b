#include "Mounttabelle.h"

#include "Kerndateien.h"

#include <QFile>

namespace kiro::platform {

QByteArray OktalEntschluesseln(const QByteArray& Feld) {
  QByteArray aus;
  aus.reserve(Feld.size());
  auto oktal = [](char c) { return c >= '0' && c <= '7'; };
  for (qsizetype i = 0; i < Feld.size(); ++i) {
    if (Feld[i] == '\\' && i + 3 < Feld.size() && oktal(Feld[i + 1]) && oktal(Feld[i + 2]) &&
        oktal(Feld[i + 3])) {
      aus += char(((Feld[i + 1] - '0') << 6) | ((Feld[i + 2] - '0') << 3) | (Feld[i + 3] - '0'));
      i += 3;
    } else {
      aus += Feld[i];
    }
  }
  return aus;
}

std::optional<QList<TEinhaengung>> MounttabelleLesen(const QString& Pfad) {
  const std::optional<QByteArray> inhalt = KerndateiLesen(Pfad);
  if (!inhalt) return std::nullopt;
  QList<TEinhaengung> liste;
  for (const QByteArray& zeile : inhalt->split('\n')) {
    // id parent major:minor root mountpoint options [optional fields...] - fstype source options
    const QList<QByteArray> felder = zeile.split(' ');
    if (felder.size() < 5) continue;
    TEinhaengung e;
    e.MajorMinor = felder[2];
    e.GanzesDateisystem = felder[3] == "/";
    e.Mountpunkt = QFile::decodeName(OktalEntschluesseln(felder[4]));
    const qsizetype trenner = felder.indexOf("-", 6);
    if (trenner >= 0 && trenner + 1 < felder.size()) e.Typ = felder[trenner + 1];
    if (trenner >= 0 && trenner + 2 < felder.size()) e.Quelle = OktalEntschluesseln(felder[trenner + 2]);
    liste.append(e);
  }
  return liste;
}

}  // namespace kiro::platform
