#include "foundation/Formatieren.h"

#include <charconv>
#include <cmath>

namespace kiro {

namespace {

qint64 AlsGanzzahl(const QVariant& v) {
  bool ok = false;
  if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
    const double d = v.toDouble();
    return std::isfinite(d) && std::fabs(d) < 9.2e18 ? qint64(d) : 0;
  }
  const qint64 n = v.toLongLong(&ok);
  if (ok) return n;
  const quint64 u = v.toULongLong(&ok);
  return ok ? qint64(u) : 0;
}

double AlsZahl(const QVariant& v) {
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok ? d : 0.0;
}

QString Fest(double d, int stellen) {
  if (!std::isfinite(d)) return std::isnan(d) ? QStringLiteral("NAN") : (d > 0 ? QStringLiteral("INF") : QStringLiteral("-INF"));
  // to_chars always writes "." (printf follows the process locale); texts for people format
  // with QLocale at their own place.
  char puffer[1400];  // 309 integer digits of the largest double, a point, at most 1000 decimals
  const auto [ende, fehler] = std::to_chars(puffer, puffer + sizeof puffer, d, std::chars_format::fixed, stellen);
  return fehler == std::errc() ? QString::fromLatin1(puffer, ende - puffer) : QString();
}

}  // namespace

QString Formatieren(const QString& Vorlage, const QVariantList& Werte) {
  QString aus;
  aus.reserve(Vorlage.size() + 16);
  qsizetype naechster = 0;
  const qsizetype n = Vorlage.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = Vorlage[i];
    if (c != u'%') {
      aus += c;
      ++i;
      continue;
    }
    const qsizetype anfang = i++;
    if (i < n && Vorlage[i] == u'%') {
      aus += u'%';
      ++i;
      continue;
    }
    auto zahlLesen = [&](int& ziel) {
      bool gelesen = false;
      ziel = 0;
      while (i < n && Vorlage[i].isDigit() && Vorlage[i].unicode() < 0x80) {
        ziel = std::min(ziel * 10 + (Vorlage[i].unicode() - u'0'), 1000);
        ++i;
        gelesen = true;
      }
      return gelesen;
    };
    int index = -1, breite = 0, genau = -1, zahl = 0;
    bool links = false;
    const qsizetype merk = i;
    if (zahlLesen(zahl) && i < n && Vorlage[i] == u':') {
      index = zahl;
      ++i;
    } else {
      i = merk;
    }
    if (i < n && Vorlage[i] == u'-') {
      links = true;
      ++i;
    }
    zahlLesen(breite);
    if (i < n && Vorlage[i] == u'.') {
      ++i;
      zahlLesen(genau);
    }
    if (i >= n) {
      aus += Vorlage.mid(anfang);
      break;
    }
    const QChar typ = Vorlage[i++];
    const qsizetype argNr = index >= 0 ? index : naechster;
    static const QString bekannt = QStringLiteral("sduxXf");
    if (!bekannt.contains(typ) || argNr >= Werte.size()) {
      aus += Vorlage.mid(anfang, i - anfang);
      continue;
    }
    naechster = argNr + 1;
    const QVariant& w = Werte[argNr];
    QString teil;
    switch (typ.unicode()) {
      case u's':
        teil = w.toString();
        if (genau >= 0) teil.truncate(genau);
        break;
      case u'd':
      case u'u': {
        teil = QString::number(AlsGanzzahl(w));
        if (genau > 0) {
          const bool minus = teil.startsWith(u'-');
          if (minus) teil.remove(0, 1);
          teil = teil.rightJustified(genau, u'0');
          if (minus) teil.prepend(u'-');
        }
        break;
      }
      case u'x':
      case u'X':
        // A 32-bit value in upper-case digits, as colours and codes are written everywhere else.
        teil = QString::number(quint32(AlsGanzzahl(w)), 16).toUpper();
        if (genau > 0) teil = teil.rightJustified(genau, u'0');
        break;
      case u'f':
        teil = Fest(AlsZahl(w), genau >= 0 ? genau : 2);
        break;
    }
    if (teil.size() < breite) teil = links ? teil.leftJustified(breite) : teil.rightJustified(breite);
    aus += teil;
  }
  return aus;
}

}  // namespace kiro
