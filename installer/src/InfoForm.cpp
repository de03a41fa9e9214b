#include "installer/InfoForm.h"

#include "components/LabelQVLink.h"
#include "foundation/Farben.h"
#include "foundation/Formatieren.h"
#include "foundation/Ordner.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Systeminfo.h"
#include "platform/Shell.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include <sys/utsname.h>

#include <cmath>
#include <cstdint>

namespace kiro {

namespace {

// The page is laid out on 640 units across and 468 down.
constexpr double kSeitenbreite = 640;
constexpr double kSeitenhoehe = 468;
// The window's child widgets were placed on the design width of 800 pixels.
constexpr double kEntwurfsbreite = 800;

const QColor kBandgrau(0xC3, 0xC3, 0xC3);

// The product colour, RGB (83, 130, 172): the Direct3D colour $005382AC mixed with itself, which
// comes back as a window colour (red in the low byte).
QColor Produktfarbe() {
  const std::uint32_t f = D3DColorMischen(0x005382AC, 0x005382AC, 0);
  return QColor(int(f & 0xFF), int((f >> 8) & 0xFF), int((f >> 16) & 0xFF));
}

// Families as the page was designed, each followed by a free font of the same proportions
// (Liberation Sans is metric-compatible with Arial; DejaVu Sans, from Bitstream Vera, has the
// wide Verdana/Tahoma shapes).
const QStringList kVerdana{QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")};
const QStringList kTahoma{QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")};
const QStringList kArial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};

// A font whose line (ascent plus descent) is Zellhoehe pixels high: the heights of the layout
// are cell heights, while Qt's pixel size is the em.
QFont Schrift(const QStringList& Familien, int Zellhoehe, bool Fett = false) {
  QFont f;
  f.setFamilies(Familien);
  f.setBold(Fett);
  f.setPixelSize(qMax(1, Zellhoehe));
  const int zelle = QFontMetrics(f).height();
  if (zelle > 0 && zelle != Zellhoehe) f.setPixelSize(qMax(1, qRound(double(Zellhoehe) * Zellhoehe / zelle)));
  return f;
}

// Text drawn with its top left corner at (x, y) on an opaque background in Hintergrund.
void Textausgabe(QPainter& p, int x, int y, const QString& Text, const QColor& Hintergrund) {
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(Hintergrund);
  p.drawText(QPoint(x, y + p.fontMetrics().ascent()), Text);
}

}  // namespace

TFormInfo::TFormInfo(QWidget* Eltern, std::shared_ptr<platform::TShell> Shell)
    : QWidget(Eltern, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FShell(Shell ? std::move(Shell) : std::make_shared<platform::TDesktopShell>()) {
  setObjectName(QStringLiteral("FormInfo"));
  setWindowTitle(QStringLiteral("FormInfo"));
  setCursor(Qt::PointingHandCursor);
  // The page paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);

  KiroIconBilderEintragen(ImageCollectionKiroIcon);
  KiroDateienBilderEintragen(ImageCollectionKiroDateien);
  MeldungenBilderEintragen(ImageCollectionMeldungen);

  VirtualImageKiroLogo = new QLabel(this);
  VirtualImageKiroLogo->setObjectName(QStringLiteral("VirtualImageKiroLogo"));
  VirtualImageKiroLogo->setAttribute(Qt::WA_TransparentForMouseEvents);

  LabelQVLinkWebseite = new TLabelQVLink(this);
  LabelQVLinkWebseite->setObjectName(QStringLiteral("LabelQVLinkWebseite"));
  // Tag 1: the strip keeps its text whatever language is chosen.
  LabelQVLinkWebseite->setProperty("Tag", 1);
  LabelQVLinkWebseite->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LabelQVLinkWebseite->SchriftfarbeSetzen(Qt::red);
  LabelQVLinkWebseite->setText(QUrl(kKiroWebseite).host());
  LabelQVLinkWebseite->installEventFilter(this);

  FormCreate();
  Anordnen();
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

void TFormInfo::LabelQVLinkWebseiteClick() { FShell->Oeffnen(kKiroWebseite); }

int TFormInfo::Einheit(double Wert) const { return int(std::nearbyint(Wert * width() / kSeitenbreite)); }

int TFormInfo::HoeheZuBreite(int Breite) { return int(std::nearbyint(Breite / kSeitenbreite * kSeitenhoehe)); }

QString TFormInfo::TextKuerzen(const QString& Text, int Anfang, int Breite, const QFontMetrics& Masse) {
  if (Masse.horizontalAdvance(Text) <= Breite) return Text;
  const QString kopf = Text.left(qMin<qsizetype>(Anfang, Text.size())) + QStringLiteral(" ... ");
  const int rest = Breite - Masse.horizontalAdvance(kopf);
  // Characters from the end, at least the last one, until the tail fills the rest or would
  // reach into the kept beginning.
  qsizetype i = Text.size();
  QString schwanz;
  do {
    schwanz.prepend(Text.at(i - 1));
    --i;
  } while (Masse.horizontalAdvance(schwanz) < rest && i > Anfang);
  return kopf + schwanz;
}

QStringList TFormInfo::Zeilen() const {
  const QFontMetrics masse(Schrift(kArial, Einheit(17)));
  const int breite = Einheit(600);
  QStringList zeilen;
  const std::pair<const char*, const QString*> ordner[] = {{"InfoForm.Programm", &Programmverzeichnis},
                                                           {"InfoForm.Daten", &Datenverzeichnis},
                                                           {"InfoForm.DatenOffiziell", &DatenverzeichnisOffiziell}};
  for (const auto& [schluessel, verzeichnis] : ordner) {
    const QString vorlage = Text(QLatin1String(schluessel));
    zeilen << TextKuerzen(Formatieren(vorlage, {*verzeichnis}), int(vorlage.size()) + 3, breite, masse);
  }
  zeilen << WindowsVersionName();
  zeilen << WindowsVersionText() + (IstWindows64() ? QStringLiteral("  64 bit") : QStringLiteral("  32 bit"));
  return zeilen;
}

void TFormInfo::FormPaint() {
  const QColor produktfarbe = Produktfarbe();
  QPainter p(this);
  p.fillRect(rect(), Qt::white);

  p.setFont(Schrift(kVerdana, Einheit(72), true));
  p.setPen(produktfarbe);
  Textausgabe(p, Einheit(80), 1, QStringLiteral("Kiro"), Qt::white);

  // Band: from pixel 1, so the frame's left edge stays black.
  const auto streifen = [&](double Oben, double Unten) {
    return QRect(QPoint(1, Einheit(Oben)), QPoint(Einheit(640) - 1, Einheit(Unten) - 1));
  };
  p.fillRect(streifen(79, 181), kBandgrau);

  // Title and version stay in the family of the product name, only no longer bold.
  p.setPen(Qt::black);
  p.setFont(Schrift(kVerdana, Einheit(30)));
  Textausgabe(p, Einheit(8), Einheit(90), ProgrammTitel, kBandgrau);
  p.setFont(Schrift(kVerdana, Einheit(21)));
  const QString version = QStringLiteral("Version ") + ProgrammVersionText();
  Textausgabe(p, Einheit(625) - p.fontMetrics().horizontalAdvance(version), Einheit(145), version, kBandgrau);

  p.setFont(Schrift(kArial, Einheit(17)));
  const QStringList zeilen = Zeilen();
  for (int i = 0; i < zeilen.size(); ++i) Textausgabe(p, Einheit(10), Einheit(189 + 25 * i), zeilen[i], Qt::white);

  p.fillRect(streifen(79, 81), produktfarbe);
  p.fillRect(streifen(179, 181), produktfarbe);
  p.setPen(produktfarbe);
  p.drawLine(1, Einheit(315), Einheit(640) - 1, Einheit(315));

  p.setPen(Qt::black);
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// The child widgets follow the width: the logo in the top left corner, the strip at the bottom.
void TFormInfo::Anordnen() {
  const double k = width() / kEntwurfsbreite;
  const int rand = qRound(10 * k), logo = qRound(73 * k);
  VirtualImageKiroLogo->setGeometry(rand, rand, logo, logo);
  const qreal faktor = devicePixelRatioF();
  VirtualImageKiroLogo->setPixmap(ImageCollectionKiroIcon.Pixmap(QStringLiteral("icon_kiro"), logo, logo, faktor));

  const int streifen = qRound(31 * k);
  LabelQVLinkWebseite->setGeometry(0, height() - streifen, width(), streifen);
  LabelQVLinkWebseite->setFont(Schrift(kTahoma, qRound(14 * k)));
  LabelQVLinkWebseite->setIndent(Einheit(15));
}

// Centred on the screen it opens on, with the size it has then.
void TFormInfo::showEvent(QShowEvent* Ereignis) {
  QWidget::showEvent(Ereignis);
  if (Ereignis->spontaneous()) return;
  if (const QScreen* bildschirm = screen()) {
    QRect rahmen = frameGeometry();
    rahmen.moveCenter(bildschirm->availableGeometry().center());
    move(rahmen.topLeft());
  }
}

void TFormInfo::keyPressEvent(QKeyEvent*) { close(); }

void TFormInfo::mouseReleaseEvent(QMouseEvent*) { close(); }

void TFormInfo::paintEvent(QPaintEvent*) { FormPaint(); }

void TFormInfo::resizeEvent(QResizeEvent*) {
  const int hoehe = HoeheZuBreite(width());
  if (height() != hoehe) {
    resize(width(), hoehe);  // comes back here with the right height
    return;
  }
  Anordnen();
}

// A click on the strip opens the site and leaves the window open; anywhere else it closes.
bool TFormInfo::eventFilter(QObject* Objekt, QEvent* Ereignis) {
  if (Objekt == LabelQVLinkWebseite) {
    if (Ereignis->type() == QEvent::MouseButtonPress) return true;
    if (Ereignis->type() == QEvent::MouseButtonRelease) {
      if (LabelQVLinkWebseite->rect().contains(static_cast<QMouseEvent*>(Ereignis)->position().toPoint()))
        LabelQVLinkWebseiteClick();
      return true;
    }
  }
  return QWidget::eventFilter(Objekt, Ereignis);
}

QString WindowsVersionText() {
  utsname u{};
  if (uname(&u) != 0) return {};
  return (QString::fromLocal8Bit(u.sysname) + u' ' + QString::fromLocal8Bit(u.release)).left(51);
}

QString ProgrammVersionText() { return QStringLiteral(KIRO_PROGRAMMVERSION); }

}  // namespace kiro
