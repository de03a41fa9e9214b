#include "bilder/Bildersammlung.h"

#include "BilderSvg.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>

#include <atomic>
#include <functional>

namespace kiro {

void TImageCollection::Hinzufuegen(const QString& Name, const QIcon& Bild) {
  if (!FBilder.contains(Name)) FNamen.append(Name);
  FBilder.insert(Name, Bild);
}

QIcon TImageCollection::Icon(const QString& Name) const { return FBilder.value(Name); }

QPixmap TImageCollection::Pixmap(const QString& Name, int Breite, int Hoehe, qreal Pixelfaktor) const {
  const auto it = FBilder.constFind(Name);
  if (it == FBilder.constEnd()) return {};
  return it->pixmap(QSize(Breite, Hoehe), Pixelfaktor);
}

namespace {

std::atomic<TImageCollection*> gKiroGesamt{nullptr};

// The sizes the windows draw icons in: 16 to 24 in lists and buttons, 73 for the logo.
constexpr int kBildgroessen[] = {16, 20, 24, 32, 40, 48, 64, 73};

using Zeichner = std::function<void(QPainter&, qreal)>;

// Every picture is drawn as vectors on a square of side s, once per size, so small sizes
// stay sharp instead of being scaled down from one large bitmap.
QIcon Zeichnen(const Zeichner& z) {
  QIcon icon;
  for (int s : kBildgroessen) {
    QPixmap bild(s, s);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    z(p, s);
    p.end();
    icon.addPixmap(bild);
  }
  return icon;
}

void Scheibe(QPainter& p, qreal s, const QColor& hell, const QColor& dunkel) {
  const QRectF r(s * 0.06, s * 0.06, s * 0.88, s * 0.88);
  QRadialGradient g(r.center() - QPointF(s * 0.15, s * 0.18), s * 0.6);
  g.setColorAt(0, hell);
  g.setColorAt(1, dunkel);
  p.setPen(QPen(dunkel.darker(120), qMax(1.0, s / 24)));
  p.setBrush(g);
  p.drawEllipse(r);
}

void RotesKreuz(QPainter& p, qreal s) {
  Scheibe(p, s, QColor(0xF0, 0x5A, 0x4F), QColor(0xB7, 0x1C, 0x1C));
  QPen stift(Qt::white, s * 0.13, Qt::SolidLine, Qt::RoundCap);
  p.setPen(stift);
  const qreal a = s * 0.32, b = s * 0.68;
  p.drawLine(QPointF(a, a), QPointF(b, b));
  p.drawLine(QPointF(a, b), QPointF(b, a));
}

void HakenGruen(QPainter& p, qreal s) {
  Scheibe(p, s, QColor(0x7C, 0xD6, 0x5A), QColor(0x2E, 0x8B, 0x2E));
  QPen stift(Qt::white, s * 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(stift);
  p.setBrush(Qt::NoBrush);
  QPainterPath haken;
  haken.moveTo(s * 0.28, s * 0.52);
  haken.lineTo(s * 0.44, s * 0.67);
  haken.lineTo(s * 0.73, s * 0.35);
  p.drawPath(haken);
}

// Flags in 5:3, centred in the square, with a thin grey edge so white parts stay visible.
QRectF Flaggenrechteck(qreal s) {
  const qreal b = s * 0.94, h = b * 0.6;
  return QRectF((s - b) / 2, (s - h) / 2, b, h);
}

void FlaggeDE(QPainter& p, qreal s) {
  const QRectF r = Flaggenrechteck(s);
  const qreal d = r.height() / 3;
  p.setPen(Qt::NoPen);
  p.fillRect(QRectF(r.left(), r.top(), r.width(), d), QColor(0, 0, 0));
  p.fillRect(QRectF(r.left(), r.top() + d, r.width(), d), QColor(0xDD, 0x00, 0x00));
  p.fillRect(QRectF(r.left(), r.top() + 2 * d, r.width(), r.height() - 2 * d), QColor(0xFF, 0xCE, 0x00));
  p.setPen(QPen(QColor(0, 0, 0, 90), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r);
}

void FlaggeUK(QPainter& p, qreal s) {
  const QRectF r = Flaggenrechteck(s);
  p.save();
  p.setClipRect(r);
  p.fillRect(r, QColor(0x01, 0x21, 0x69));
  const qreal h = r.height();
  p.setPen(QPen(Qt::white, h * 0.2));
  p.drawLine(r.topLeft(), r.bottomRight());
  p.drawLine(r.bottomLeft(), r.topRight());
  p.setPen(QPen(QColor(0xC8, 0x10, 0x2E), h * 0.07));
  p.drawLine(r.topLeft(), r.bottomRight());
  p.drawLine(r.bottomLeft(), r.topRight());
  p.setPen(Qt::NoPen);
  const QPointF m = r.center();
  p.fillRect(QRectF(r.left(), m.y() - h * 0.17, r.width(), h * 0.34), Qt::white);
  p.fillRect(QRectF(m.x() - h * 0.17, r.top(), h * 0.34, h), Qt::white);
  const QColor rot(0xC8, 0x10, 0x2E);
  p.fillRect(QRectF(r.left(), m.y() - h * 0.1, r.width(), h * 0.2), rot);
  p.fillRect(QRectF(m.x() - h * 0.1, r.top(), h * 0.2, h), rot);
  p.restore();
  p.setPen(QPen(QColor(0, 0, 0, 90), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r);
}

void SvgEintragen(TImageCollection& Sammlung, const std::vector<bilder::TSvgBild>& Bilder) {
  for (const bilder::TSvgBild& b : Bilder) {
    QSvgRenderer renderer(b.Svg);
    // A picture that does not parse stays out, so the test over all names finds it missing.
    if (!renderer.isValid()) continue;
    Sammlung.Hinzufuegen(b.Name, Zeichnen([&renderer](QPainter& p, qreal s) { renderer.render(&p, QRectF(0, 0, s, s)); }));
  }
}

}  // namespace

void KiroGesamtBilderEintragen(TImageCollection& Sammlung) {
  Sammlung.Hinzufuegen(QStringLiteral("icon_RotesKreuz"), Zeichnen(RotesKreuz));
  Sammlung.Hinzufuegen(QStringLiteral("icon_hakengruen1"), Zeichnen(HakenGruen));
  Sammlung.Hinzufuegen(QStringLiteral("icon_flaggeDE"), Zeichnen(FlaggeDE));
  Sammlung.Hinzufuegen(QStringLiteral("icon_flaggeUK"), Zeichnen(FlaggeUK));
  SvgEintragen(Sammlung, bilder::GesamtSvg());
}

void KiroIconBilderEintragen(TImageCollection& Sammlung) { SvgEintragen(Sammlung, bilder::IconSvg()); }

void KiroDateienBilderEintragen(TImageCollection& Sammlung) { SvgEintragen(Sammlung, bilder::DateienSvg()); }

void MeldungenBilderEintragen(TImageCollection& Sammlung) { SvgEintragen(Sammlung, bilder::MeldungenSvg()); }

TImageCollection* ImageCollectionKiroGesamt() { return gKiroGesamt.load(); }

void ImageCollectionKiroGesamtSetzen(TImageCollection* Sammlung) { gKiroGesamt.store(Sammlung); }

}  // namespace kiro
