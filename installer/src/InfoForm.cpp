#include "installer/InfoForm.h"

#include <QFont>
#include <QScreen>

namespace kiro {

TFormInfo::TFormInfo(QWidget* Eltern) : QWidget(Eltern, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FormInfo"));
  setWindowTitle(QStringLiteral("FormInfo"));
  setCursor(Qt::PointingHandCursor);
  FormCreate();
}

TFormInfo::~TFormInfo() {
  if (kiro::ImageCollectionKiroGesamt() == &ImageCollectionKiroGesamt) ImageCollectionKiroGesamtSetzen(nullptr);
}

void TFormInfo::FormCreate() {
  const QScreen* bildschirm = screen();
  const qreal s = qMax<qreal>(0.8, (bildschirm ? bildschirm->logicalDotsPerInchY() : 96.0) / 120.0);
  resize(qRound(800 * s), qRound(585 * s));
  QFont schrift;
  schrift.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  schrift.setPixelSize(qRound(14 * s));
  setFont(schrift);
  KiroGesamtBilderEintragen(ImageCollectionKiroGesamt);
  ImageCollectionKiroGesamtSetzen(&ImageCollectionKiroGesamt);
}

void TFormInfo::keyPressEvent(QKeyEvent*) { close(); }

void TFormInfo::mouseReleaseEvent(QMouseEvent*) { close(); }

}  // namespace kiro
