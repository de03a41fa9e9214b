#include "installer/WebInstallForm.h"

#include "Arbeitsordner.h"
#include "bilder/Bildersammlung.h"
#include "datafiles/ScriptPruefung.h"
#include "foundation/CRC32.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Kern.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Meldung.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"
#include "platform/Formatierer.h"
#include "platform/Laufwerksbeobachter.h"
#include "platform/Netz.h"
#include "platform/Shell.h"
#include "platform/TempOrdner.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>

namespace kiro {

std::optional<TEdition> EditionAusName(const QString& Name) {
  TEdition e;
  if (Name == QLatin1String("Lehr")) e.Lehr = true;
  else if (Name == QLatin1String("LehrStick")) e.LehrStick = true;
  else if (Name == QLatin1String("CBT")) e.CBT = true;
  else if (Name == QLatin1String("HeimStick")) e.HeimStick = true;
  else return std::nullopt;
  return e;
}

TWebInstallUmgebung TWebInstallUmgebung::Standard() {
  TWebInstallUmgebung u;
  u.Laufwerke = [] { return platform::StandardWechsellaufwerke().Liste(); };
  u.Beobachter = std::make_shared<platform::TLaufwerksbeobachter>([] { return WechsellaufwerkeListe(); });
  u.Formatierer = [] { return platform::FormatiererErzeugen(); };
  u.Basisverzeichnis = QDir::homePath();
  if (!u.Basisverzeichnis.endsWith(u'/')) u.Basisverzeichnis += u'/';
  u.TempVerzeichnis = platform::TempVerzeichnis();
  u.Shell = std::make_shared<platform::TDesktopShell>();
  u.InternetVerbunden = [] { return platform::InternetVerbunden(); };
  u.Desktopverzeichnis = DesktopVerzeichnis();
  return u;
}

namespace {
// What makes a drive the same stick under another name (its device node, then its mount
// point): the device number, else the node; "" when the record has neither.
QString Geraetekennung(const platform::TWechsellaufwerk& w) { return w.MajorMinor.isEmpty() ? w.Geraet : w.MajorMinor; }
}  // namespace

// ---------------------------------------------------------------------------------------------

TVirtualImage::TVirtualImage(QWidget* Eltern) : QWidget(Eltern) {}

void TVirtualImage::SetImageName(const QString& Name) {
  if (Name == FName) return;
  FName = Name;
  update();
}

void TVirtualImage::paintEvent(QPaintEvent*) {
  // The collection may come into being after this widget (the info window is created after
  // the main window), so the picture is looked up when it is drawn.
  const TImageCollection* sammlung = ImageCollectionKiroGesamt();
  if (!sammlung) return;
  const QPixmap bild = sammlung->Pixmap(FName, width(), height(), devicePixelRatioF());
  if (bild.isNull()) return;
  QPainter p(this);
  p.drawPixmap(rect(), bild);
}

// ---------------------------------------------------------------------------------------------

namespace {

// The first numbered folder in Basis that holds a stick build's work folder with its first
// script (a build that did not end); "" when there is none.
QString UnterbrochenerStickbau(const QString& Basis) {
  if (Basis.isEmpty()) return {};
  const QRegularExpression nummer(QStringLiteral("^Kiro3_[0-9]{4}$"));
  QStringList namen = QDir(Basis).entryList({QStringLiteral("Kiro3_*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : namen) {
    if (!nummer.match(name).hasMatch()) continue;
    const QString ordner = Basis + name + u'/';
    const QFileInfo arbeit(ordner + kStickArbeitsordner);
    const QFileInfo script(ordner + kStickArbeitsordner + u'/' + kStickScript);
    if (arbeit.isDir() && !arbeit.isSymLink() && script.isFile() && !script.isSymLink()) return ordner;
  }
  return {};
}

const QString kKreuz = QStringLiteral("icon_RotesKreuz");
const QString kHaken = QStringLiteral("icon_hakengruen1");

// The client area reports its size changes, so the components follow their anchors.
class TFlaeche : public QWidget {
 public:
  std::function<void()> Groesse;
  using QWidget::QWidget;

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (Groesse) Groesse();
  }
};

// A label that shows a long path shortened in the middle and the whole path as its tip.
class TPfadLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QString kurz = fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
    p.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, kurz);
  }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) setToolTip(text());
    return QLabel::event(e);
  }
};

// The tip an action gives when none is set: Qt's own, its caption without the mnemonic marker
// and the trailing "...".
QString KuerzelFrei(QString Text) {
  Text.remove(QStringLiteral("..."));
  for (qsizetype i = 0; i < Text.size(); ++i)
    if (Text[i] == u'&') Text.remove(i, 1);
  return Text.trimmed();
}

// A button bound to an action follows its caption, icon, Enabled and Visible state, and the tip
// the action was given.
void AnAktionBinden(QAbstractButton* Knopf, QAction* Aktion) {
  auto folgen = [Knopf, Aktion] {
    Knopf->setText(Aktion->text());
    Knopf->setIcon(Aktion->icon());
    Knopf->setToolTip(Aktion->toolTip() == KuerzelFrei(Aktion->text()) ? QString() : Aktion->toolTip());
    Knopf->setEnabled(Aktion->isEnabled());
    Knopf->setVisible(Aktion->isVisible());
  };
  QObject::connect(Aktion, &QAction::changed, Knopf, folgen);
  QObject::connect(Knopf, &QAbstractButton::clicked, Aktion, [Aktion] { Aktion->trigger(); });
  folgen();
}

QFont Schrift(const QStringList& Familien, qreal Pixel, bool Fett = false) {
  QFont f;
  f.setFamilies(Familien);
  f.setPixelSize(qMax(8, qRound(Pixel)));
  f.setBold(Fett);
  return f;
}

const QStringList kSegoe{QStringLiteral("Segoe UI"), QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"),
                         QStringLiteral("Sans Serif")};
const QStringList kVerdana{QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")};

}  // namespace

TFormWebInstall::TFormWebInstall(TWebInstallUmgebung Umgebung, QWidget* Eltern)
    : QMainWindow(Eltern), IdHTTPDateien(std::make_unique<THttpClient>()), FUmgebung(std::move(Umgebung)) {
  if (!FUmgebung.Laufwerke) FUmgebung.Laufwerke = [] { return QList<platform::TWechsellaufwerk>(); };
  if (!FUmgebung.InternetVerbunden) FUmgebung.InternetVerbunden = [] { return false; };
  KomponentenErzeugen();
  FormCreate();
  // A change that arrives during a transfer is handled once the transfer has ended.
  if (FUmgebung.Beobachter)
    connect(FUmgebung.Beobachter.get(), &platform::TLaufwerksbeobachter::Geraeteaenderung, this,
            [this](int Ereignis) { NachUebertragung([this, Ereignis] { WMDeviceChange(Ereignis); }); });
}

TFormWebInstall::~TFormWebInstall() { FormDestroy(); }

void TFormWebInstall::KomponentenErzeugen() {
  setObjectName(QStringLiteral("FormWebInstall"));
  setWindowTitle(QStringLiteral("Kiro WebInstall"));
  // Design units are pixels at 120 pixels per inch.
  const QScreen* bildschirm = screen();
  FMassstab = qMax<qreal>(0.8, (bildschirm ? bildschirm->logicalDotsPerInchY() : 96.0) / 120.0);
  const qreal s = FMassstab;

  auto* flaeche = new TFlaeche(this);
  flaeche->setObjectName(QStringLiteral("Flaeche"));
  flaeche->setAutoFillBackground(true);
  flaeche->setFont(Schrift(kSegoe, 15 * s));
  setCentralWidget(flaeche);
  FFlaeche = flaeche;

  auto benennen = [](QObject* o, const char* name) { o->setObjectName(QString::fromLatin1(name)); };

  PanelInfo = new QLabel(QStringLiteral("Kiro Web Installer"), flaeche);
  benennen(PanelInfo, "PanelInfo");
  PanelInfo->setAlignment(Qt::AlignCenter);
  PanelInfo->setFont(Schrift(kVerdana, 25 * s, true));
  PanelInfo->setAutoFillBackground(true);

  VirtualImagewwwVerbindung = new TVirtualImage(flaeche);
  benennen(VirtualImagewwwVerbindung, "VirtualImagewwwVerbindung");
  VirtualImagewwwVerbindung->SetImageName(kKreuz);
  LabelwwwVerbindung = new QLabel(flaeche);
  benennen(LabelwwwVerbindung, "LabelwwwVerbindung");
  VirtualImageKiroErreichbar = new TVirtualImage(flaeche);
  benennen(VirtualImageKiroErreichbar, "VirtualImageKiroErreichbar");
  VirtualImageKiroErreichbar->SetImageName(kKreuz);
  LabelKiroErreichbar = new QLabel(flaeche);
  benennen(LabelKiroErreichbar, "LabelKiroErreichbar");

  LabelInfoStickLaufwerk = new QLabel(flaeche);
  benennen(LabelInfoStickLaufwerk, "LabelInfoStickLaufwerk");
  ComboBoxQVUSBLaufwerk = new TComboBoxQV(flaeche);
  benennen(ComboBoxQVUSBLaufwerk, "ComboBoxQVUSBLaufwerk");
  LabelInfoStickLaufwerk->setBuddy(ComboBoxQVUSBLaufwerk);
  ComboBoxQVUSBLaufwerk->setEditable(false);
  // Only the user's choice counts as a change; selections made from code do not.
  connect(ComboBoxQVUSBLaufwerk, &QComboBox::activated, this, [this] { ComboBoxQVUSBLaufwerkChange(); });

  BitBtnFormatieren = new QPushButton(flaeche);
  benennen(BitBtnFormatieren, "BitBtnFormatieren");

  RadioGroupInstallationsmodus = new QGroupBox(flaeche);
  benennen(RadioGroupInstallationsmodus, "RadioGroupInstallationsmodus");
  auto* modi = new QButtonGroup(RadioGroupInstallationsmodus);
  auto* spalte = new QVBoxLayout(RadioGroupInstallationsmodus);
  spalte->setContentsMargins(qRound(10 * s), qRound(6 * s), qRound(10 * s), qRound(6 * s));
  for (int i = 0; i < 3; ++i) {
    auto* knopf = new QRadioButton(RadioGroupInstallationsmodus);
    knopf->setObjectName(QStringLiteral("RadioGroupInstallationsmodus_%1").arg(i));
    modi->addButton(knopf, i);
    spalte->addWidget(knopf);
  }
  Installationsmodusknopf(0)->setChecked(true);
  connect(modi, &QButtonGroup::idClicked, this, [this] { RadioGroupInstallationsmodusClick(); });

  BitBtnZielVerzeichniswahl = new QPushButton(flaeche);
  benennen(BitBtnZielVerzeichniswahl, "BitBtnZielVerzeichniswahl");
  LabelZielverzeichnis = new TPfadLabel(flaeche);
  benennen(LabelZielverzeichnis, "LabelZielverzeichnis");
  LabelZielverzeichnis->setTextInteractionFlags(Qt::TextSelectableByMouse);
  BitBtnInstallieren = new QPushButton(flaeche);
  benennen(BitBtnInstallieren, "BitBtnInstallieren");
  BitBtnAbbrechen = new QPushButton(flaeche);
  benennen(BitBtnAbbrechen, "BitBtnAbbrechen");
  ProgressBarInstaller = new QProgressBar(flaeche);
  benennen(ProgressBarInstaller, "ProgressBarInstaller");
  ProgressBarInstaller->setRange(0, 100);
  ProgressBarInstaller->setValue(0);
  ProgressBarInstaller->setTextVisible(false);
  BitBtnSchliessen = new QPushButton(flaeche);
  benennen(BitBtnSchliessen, "BitBtnSchliessen");
  SpeedButtonDeutsch = new QToolButton(flaeche);
  benennen(SpeedButtonDeutsch, "SpeedButtonDeutsch");
  SpeedButtonEnglish = new QToolButton(flaeche);
  benennen(SpeedButtonEnglish, "SpeedButtonEnglish");
  for (QToolButton* b : {SpeedButtonDeutsch, SpeedButtonEnglish}) {
    b->setAutoRaise(true);
    b->setIconSize(QSize(qRound(20 * s * 1.4), qRound(20 * s * 1.4)));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }

  RichEditLog = new QPlainTextEdit(flaeche);
  benennen(RichEditLog, "RichEditLog");
  RichEditLog->setReadOnly(true);
  // Read-only, yet reachable by keyboard: a screen reader and the arrow keys read the log.
  RichEditLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  RichEditLog->setTabChangesFocus(true);
  RichEditLog->setFont(Schrift(kSegoe, qMax<qreal>(11, 13 * s)));
  RichEditLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);

  FileOpenDialogCBTKopieren = new QFileDialog(this);
  benennen(FileOpenDialogCBTKopieren, "FileOpenDialogCBTKopieren");
  FileOpenDialogCBTKopieren->setFileMode(QFileDialog::Directory);
  FileOpenDialogCBTKopieren->setOption(QFileDialog::ShowDirsOnly, true);
  FileOpenDialogCBTKopieren->setAcceptMode(QFileDialog::AcceptOpen);
  FileOpenDialogCBTKopieren->setOption(QFileDialog::DontUseNativeDialog, true);
  if (!FUmgebung.OrdnerWaehlen) {
    FUmgebung.OrdnerWaehlen = [this](const QString& Vorschlag) {
      if (!Vorschlag.isEmpty()) {
        // Opened on the folder that holds the proposal, with the proposal's name selected:
        // accepting at once takes the proposal itself, not a folder of that name inside it.
        QString ordner = Vorschlag;
        while (ordner.size() > 1 && ordner.endsWith(u'/')) ordner.chop(1);
        const QFileInfo info(ordner);
        FileOpenDialogCBTKopieren->setDirectory(info.absolutePath());
        FileOpenDialogCBTKopieren->selectFile(info.fileName());
      }
      if (FileOpenDialogCBTKopieren->exec() != QDialog::Accepted) return QString();
      return FileOpenDialogCBTKopieren->selectedFiles().value(0);
    };
  }

  ActionManagerWebInstaller = new QObject(this);
  benennen(ActionManagerWebInstaller, "ActionManagerWebInstaller");
  auto aktion = [&](const char* name, const QString& text) {
    auto* a = new QAction(text, ActionManagerWebInstaller);
    a->setObjectName(QString::fromLatin1(name));
    addAction(a);
    return a;
  };
  ActionFormatieren = aktion("ActionFormatieren", QStringLiteral("USB-Laufwerk formatieren..."));
  ActionFormatieren->setEnabled(false);
  ActionSchliessen = aktion("ActionSchliessen", QStringLiteral("Schließen"));
  ActionZielVerzeichniswahl = aktion("ActionZielVerzeichniswahl", QStringLiteral("Zielverzeichnis ändern..."));
  ActionInstallieren = aktion("ActionInstallieren", QStringLiteral("Installieren"));
  // Enabled only once the first refresh has heard the server.
  ActionInstallieren->setEnabled(false);
  ActionAbbrechen = aktion("ActionAbbrechen", QStringLiteral("Abbrechen"));
  ActionAbbrechen->setVisible(false);
  ActionDeutsch = aktion("ActionDeutsch", QString());
  ActionEnglish = aktion("ActionEnglish", QString());
  ActionDeutsch->setToolTip(QStringLiteral("Deutsch"));
  ActionEnglish->setToolTip(QStringLiteral("English"));

  connect(ActionFormatieren, &QAction::triggered, this, [this] { ActionFormatierenExecute(); });
  connect(ActionSchliessen, &QAction::triggered, this, [this] { ActionSchliessenExecute(); });
  connect(ActionZielVerzeichniswahl, &QAction::triggered, this, [this] { ActionZielVerzeichniswahlExecute(); });
  connect(ActionInstallieren, &QAction::triggered, this, [this] { ActionInstallierenExecute(); });
  connect(ActionAbbrechen, &QAction::triggered, this, [this] { ActionAbbrechenExecute(); });
  connect(ActionDeutsch, &QAction::triggered, this, [this] { ActionDeutschExecute(); });
  connect(ActionEnglish, &QAction::triggered, this, [this] { ActionEnglishExecute(); });

  AnAktionBinden(BitBtnFormatieren, ActionFormatieren);
  AnAktionBinden(BitBtnSchliessen, ActionSchliessen);
  AnAktionBinden(BitBtnZielVerzeichniswahl, ActionZielVerzeichniswahl);
  AnAktionBinden(BitBtnInstallieren, ActionInstallieren);
  AnAktionBinden(BitBtnAbbrechen, ActionAbbrechen);
  AnAktionBinden(SpeedButtonDeutsch, ActionDeutsch);
  AnAktionBinden(SpeedButtonEnglish, ActionEnglish);

  IdHTTPDateien->WorkBegin = [this](qint64 m) { IdHTTPDateienWorkBegin(m); };
  IdHTTPDateien->Work = [this](qint64 n) { IdHTTPDateienWork(n); };
  IdHTTPDateien->WorkEnd = [this] { IdHTTPDateienWorkEnd(); };

  // Install is the button Enter presses (keyPressEvent); the default look says so.
  BitBtnInstallieren->setDefault(true);
  // Tab walks the left column top to bottom, then the right column, then the log.
  const std::vector<QWidget*> folge{BitBtnZielVerzeichniswahl, BitBtnInstallieren,  BitBtnAbbrechen,
                                    BitBtnSchliessen,          ComboBoxQVUSBLaufwerk, Installationsmodusknopf(0),
                                    Installationsmodusknopf(1), Installationsmodusknopf(2), BitBtnFormatieren,
                                    SpeedButtonDeutsch,        SpeedButtonEnglish,   RichEditLog};
  for (std::size_t i = 1; i < folge.size(); ++i) setTabOrder(folge[i - 1], folge[i]);
  FarbenUebernehmen();

  const QSize entwurf(qRound(782 * s), qRound(553 * s));
  flaeche->setMinimumSize(entwurf);
  resize(entwurf);
  flaeche->Groesse = [this] { Anordnen(); };
  Anordnen();
}

void TFormWebInstall::Anordnen() {
  if (!FFlaeche) return;
  const qreal s = FMassstab;
  const int breite = FFlaeche->width(), hoehe = FFlaeche->height();
  // Right-anchored components keep their distance to the right edge; the design's right
  // column ends 9 units inside it, as the left column starts 9 units in.
  const qreal rechts = breite / s - 782;
  auto setzen = [s](QWidget* w, qreal x, qreal y, qreal b, qreal h) {
    w->setGeometry(qRound(x * s), qRound(y * s), qRound(b * s), qRound(h * s));
  };
  setzen(PanelInfo, 0, 0, breite / s, 41);
  setzen(VirtualImagewwwVerbindung, 9, 49, 24, 24);
  setzen(LabelwwwVerbindung, 41, 49, 340, 24);
  setzen(VirtualImageKiroErreichbar, 9, 81, 24, 24);
  setzen(LabelKiroErreichbar, 41, 81, 340, 24);
  // Drives are mount points here, much longer than a drive letter: the picker takes the width
  // of the column, and the format button moves beside the language buttons.
  setzen(LabelInfoStickLaufwerk, 385 + rechts - 9, 70, 388, 24);
  setzen(ComboBoxQVUSBLaufwerk, 385 + rechts - 9, 96, 388, 30);
  setzen(RadioGroupInstallationsmodus, 385 + rechts - 9, 133, 388, 132);
  setzen(BitBtnFormatieren, 385 + rechts - 9, 277, 230, 32);
  setzen(BitBtnZielVerzeichniswahl, 9, 146, 230, 32);
  setzen(LabelZielverzeichnis, 9, 180, 358 + rechts, 24);
  setzen(BitBtnInstallieren, 9, 209, 230, 32);
  setzen(BitBtnAbbrechen, 247, 209, 130, 32);
  setzen(ProgressBarInstaller, 9, 249, 358 + rechts, 20);
  setzen(BitBtnSchliessen, 9, 277, 230, 32);
  setzen(SpeedButtonDeutsch, 673 + rechts, 272, 50, 37);
  setzen(SpeedButtonEnglish, 723 + rechts, 272, 50, 37);
  // The log takes the rest of the height below the controls.
  const int oben = qRound(317 * s);
  RichEditLog->setGeometry(qRound(9 * s), oben, breite - qRound(18 * s), qMax(0, hoehe - oben - qRound(9 * s)));
}

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down

void TFormWebInstall::FormCreate() {
  Sprache = QStringLiteral("Deutsch");
  ActionDeutsch->trigger();

  FTempSystemverzeichnis = FUmgebung.TempVerzeichnis.trimmed();

  FEditionLehr = FEditionCBT = FEditionLehrStick = FEditionHeimStick = false;
  // The user's edition, before the first refresh.
  FEditionLehr = FUmgebung.Edition.Lehr;
  FEditionCBT = FUmgebung.Edition.CBT;
  FEditionLehrStick = FUmgebung.Edition.LehrStick;
  FEditionHeimStick = FUmgebung.Edition.HeimStick;

  IndexNeuAufnehmen();

  // The target folder: an installation that is already there, else the first free number.
  // The free number is only probed: its folder is removed again, installing creates it.
  FVerzRechnerInst.clear();
  QString basis = FUmgebung.Basisverzeichnis;
  if (!basis.isEmpty() && !basis.endsWith(u'/')) basis += u'/';
  if (FEditionHeimStick) FVerzRechnerInst = UnterbrochenerStickbau(basis);
  if (!FVerzRechnerInst.isEmpty()) {
    // An interrupted stick build resumes where it stopped: its parts are not fetched again.
  } else if (!basis.isEmpty() && QFileInfo(basis + QStringLiteral("Kiro3_0001/setup.exe")).isFile()) {
    FVerzRechnerInst = basis + QStringLiteral("Kiro3_0001/");
  } else if (!basis.isEmpty() && QFileInfo(basis).isDir()) {
    FVerzRechnerInst = FreiesNummernverzeichnis(basis, QStringLiteral("Kiro3_"));
    if (!FVerzRechnerInst.isEmpty()) QDir().rmdir(FVerzRechnerInst);
  }
  LabelZielverzeichnis->setText(FVerzRechnerInst);
}

void TFormWebInstall::FormShow() {
  const TImageCollection* sammlung = ImageCollectionKiroGesamt();
  if (sammlung) {
    ActionDeutsch->setIcon(sammlung->Icon(VirtualImageListWebInstaller.value(2)));
    ActionEnglish->setIcon(sammlung->Icon(VirtualImageListWebInstaller.value(3)));
  }
  OberflaecheAktualisieren();
}

void TFormWebInstall::FormDestroy() { FIndexedDriveList.clear(); }

void TFormWebInstall::setVisible(bool Sichtbar) {
  QMainWindow::setVisible(Sichtbar);
  // The first refresh waits for the server test; it runs once the window is on the screen, so
  // the window is painted while it waits (the wait lets the window's events in).
  if (Sichtbar && !FGezeigt && isVisible()) {
    FGezeigt = true;
    FormShow();
  }
}

void TFormWebInstall::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) FarbenUebernehmen();
}

void TFormWebInstall::keyPressEvent(QKeyEvent* e) {
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if (!enter || (e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QMainWindow::keyPressEvent(e);
    return;
  }
  e->accept();
  QWidget* fokus = QApplication::focusWidget();
  if (fokus && (qobject_cast<QPushButton*>(fokus) || qobject_cast<QToolButton*>(fokus)) && fokus != BitBtnInstallieren) {
    static_cast<QAbstractButton*>(fokus)->click();
    return;
  }
  if (ActionInstallieren->isVisible() && ActionInstallieren->isEnabled()) ActionInstallieren->trigger();
}

void TFormWebInstall::FarbenUebernehmen() {
  if (!FFlaeche || FFarbenSetzen) return;
  FFarbenSetzen = true;
  const QPalette quelle = QApplication::palette();
  QPalette grund = quelle;
  for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    grund.setColor(g, QPalette::Window, quelle.color(g, QPalette::Base));
    grund.setColor(g, QPalette::WindowText, quelle.color(g, QPalette::Text));
  }
  FFlaeche->setPalette(grund);
  // The product's blue on a light ground; on a dark one a lighter blue keeps the title readable.
  const QColor blau(83, 130, 172);
  QPalette titel = grund;
  titel.setColor(QPalette::WindowText, quelle.color(QPalette::Base).lightness() >= 128 ? blau : blau.lighter(170));
  PanelInfo->setPalette(titel);
  FFarbenSetzen = false;
}

void TFormWebInstall::closeEvent(QCloseEvent* e) {
  // A running action ends first; the window closes right after it.
  if (FLaufTiefe > 0 || IdHTTPDateien->Laeuft()) {
    FSchliessenAusstehend = true;
    e->ignore();
    return;
  }
  QMainWindow::closeEvent(e);
}

// ---------------------------------------------------------------------------------------------
// Handlers

void TFormWebInstall::RadioGroupInstallationsmodusClick() { OberflaecheAktualisieren(); }

void TFormWebInstall::ComboBoxQVUSBLaufwerkChange() { OberflaecheAktualisieren(); }

void TFormWebInstall::ActionZielVerzeichniswahlExecute() {
  if (Beschaeftigt()) return;
  QString basis = FUmgebung.Basisverzeichnis;
  if (!basis.isEmpty() && !basis.endsWith(u'/')) basis += u'/';
  QString vorschlag;
  if (!basis.isEmpty() && QFileInfo(basis).isDir()) vorschlag = FreiesNummernverzeichnis(basis, QStringLiteral("Kiro3_"));
  const QString gewaehlt = FUmgebung.OrdnerWaehlen ? FUmgebung.OrdnerWaehlen(vorschlag) : QString();
  // The probe folder goes whatever the answer; rmdir leaves it when something was put inside.
  if (!vorschlag.isEmpty()) QDir().rmdir(vorschlag);
  if (gewaehlt.isEmpty()) return;
  FVerzRechnerInst = gewaehlt.endsWith(u'/') ? gewaehlt : gewaehlt + u'/';
  LabelZielverzeichnis->setText(FVerzRechnerInst);
  OberflaecheAktualisieren();
}

void TFormWebInstall::ActionSchliessenExecute() { close(); }

void TFormWebInstall::ActionAbbrechenExecute() {
  Abbrechen = true;
  EreignisseVerarbeiten();
}

void TFormWebInstall::ActionFormatierenExecute() {
  // The device is taken now, with the name the user saw; the format checks it again.
  const std::optional<platform::TWechsellaufwerk> gewaehlt = GewaehltesLaufwerk();
  if (!gewaehlt || Beschaeftigt()) return;
  QString laufwerk = gewaehlt->Name;
  while (laufwerk.size() > 1 && laufwerk.endsWith(u'/')) laufwerk.chop(1);
  const int antwort = MeldungZeigen(
      Formatieren(QStringLiteral("Soll das Laufwerk %s formatiert werden? Das ist nur nötig, wenn der Stick nicht "
                                 "korrekt arbeitet. Alle Daten auf dem Datenträger werden dabei gelöscht."),
                  {laufwerk}),
      TMsgDlgType::mtInformation, mbYes | mbNo, 0, mbNo);
  if (antwort == mrYes) LaufwerkFormatieren(*gewaehlt);
}

void TFormWebInstall::LaufwerkFormatieren(const platform::TWechsellaufwerk& Laufwerk) {
  TLaufSperre sperre(*this);
  auto fehlgeschlagen = [this](TLogZeile Zeile, const QString& Deutsch, const QString& Englisch) {
    // A program's message may run over several lines; the log line stays one line.
    const QString de = Formatieren(QStringLiteral("%d/%d...Formatieren fehlgeschlagen: %s"), {1, 2, Deutsch.simplified()});
    const QString en = Formatieren(QStringLiteral("%d/%d...format failed: %s"), {1, 2, Englisch.simplified()});
    if (Zeile.Index >= 0) LogZeileErsetzen(Zeile, de, en);
    else LogAnfuegen(de, en);
  };

  // The question gave time to pull the stick or plug another one in: only the same device,
  // still listed as removable, is formatted; where it is mounted now is taken from the list.
  std::optional<platform::TWechsellaufwerk> jetzt;
  for (const platform::TWechsellaufwerk& w : FUmgebung.Laufwerke())
    if (!Laufwerk.Geraet.isEmpty() && w.Geraet == Laufwerk.Geraet && w.MajorMinor == Laufwerk.MajorMinor) jetzt = w;
  if (!jetzt) {
    // No step has begun: the line carries no step number.
    LogAnfuegen(Formatieren(QStringLiteral("Formatieren fehlgeschlagen: %s ist kein angeschlossenes Wechsellaufwerk mehr"),
                            {Laufwerk.Name}),
                Formatieren(QStringLiteral("Format failed: %s is no longer a connected removable drive"), {Laufwerk.Name}));
    return;
  }

  // The stick leaves and comes back while it is formatted; it is not announced as new.
  FFormatGeraet = Geraetekennung(*jetzt);
  struct TFormatEnde {
    QString& Kennung;
    ~TFormatEnde() { Kennung.clear(); }
  } formatEnde{FFormatGeraet};

  std::unique_ptr<platform::TFormatierer> formatierer = FUmgebung.Formatierer ? FUmgebung.Formatierer() : nullptr;
  if (!formatierer) {
    fehlgeschlagen({}, QStringLiteral("kein Formatierprogramm"), QStringLiteral("no format program"));
    return;
  }
  // Connected before the start, so a result that comes at once is not missed.
  QEventLoop schleife;
  bool fertig = false, erfolg = false;
  QString grund;
  connect(formatierer.get(), &platform::TFormatierer::Fertig, &schleife, [&](bool Erfolg, const QString& Fehler) {
    fertig = true;
    erfolg = Erfolg;
    grund = Fehler;
    schleife.quit();
  });
  QString startfehler;
  if (!formatierer->Starten(jetzt->Geraet, jetzt->Eingehaengt ? jetzt->Name : QString(), &startfehler)) {
    fehlgeschlagen({}, startfehler, startfehler);
    return;
  }
  const TLogZeile zeile = LogAnfuegen(Formatieren(QStringLiteral("%d/%d...bitte warten"), {1, 2}),
                                      Formatieren(QStringLiteral("%d/%d...wait please"), {1, 2}));
  // The window stays alive meanwhile; the run's lock keeps the actions disabled. Device
  // changes (the unmount among them) are handled as they come and may add lines below.
  if (!fertig) schleife.exec();
  if (erfolg)
    LogZeileErsetzen(zeile, Formatieren(QStringLiteral("%d/%d...fertig"), {1, 2}),
                     Formatieren(QStringLiteral("%d/%d...ready"), {1, 2}));
  else
    fehlgeschlagen(zeile, grund, grund);
}

void TFormWebInstall::ActionDeutschExecute() {
  Sprache = QStringLiteral("Deutsch");
  LabelwwwVerbindung->setText(QStringLiteral("Verbindung zum Internetrouter"));
  LabelKiroErreichbar->setText(QStringLiteral("Verbindung zu ") + ServerHost());
  LabelInfoStickLaufwerk->setText(QStringLiteral("Laufwerk Kiro-Stic&k"));
  ActionSchliessen->setText(QStringLiteral("&Schließen"));
  ActionInstallieren->setText(QStringLiteral("&Installieren"));
  ActionFormatieren->setText(QStringLiteral("USB-Laufwerk &formatieren..."));
  RadioGroupInstallationsmodus->setTitle(QStringLiteral("Installations&modus"));
  Installationsmodusknopf(0)->setText(QStringLiteral("Auf Stick &und Rechner installieren"));
  Installationsmodusknopf(1)->setText(QStringLiteral("Auf &den Stick installieren"));
  Installationsmodusknopf(2)->setText(QStringLiteral("Auf den &Rechner Installieren"));
  ActionZielVerzeichniswahl->setText(QStringLiteral("&Zielverzeichnis ändern..."));
  ActionAbbrechen->setText(QStringLiteral("&Abbrechen"));
  ZugaenglicheNamenSetzen();
  InstallierenHinweisSetzen();
  QtTexteLaden(true);
}

void TFormWebInstall::ActionEnglishExecute() {
  Sprache = QStringLiteral("English");
  LabelwwwVerbindung->setText(QStringLiteral("Connection to internet router"));
  LabelKiroErreichbar->setText(QStringLiteral("Connection to ") + ServerHost());
  LabelInfoStickLaufwerk->setText(QStringLiteral("Drive Kiro &stick"));
  ActionSchliessen->setText(QStringLiteral("C&lose"));
  ActionInstallieren->setText(QStringLiteral("&Install"));
  ActionFormatieren->setText(QStringLiteral("&Format USB drive..."));
  RadioGroupInstallationsmodus->setTitle(QStringLiteral("Installation &mode"));
  Installationsmodusknopf(0)->setText(QStringLiteral("Install on stick &and computer"));
  Installationsmodusknopf(1)->setText(QStringLiteral("Install o&n stick"));
  Installationsmodusknopf(2)->setText(QStringLiteral("Install on c&omputer"));
  ActionZielVerzeichniswahl->setText(QStringLiteral("Change &target directory..."));
  ActionAbbrechen->setText(QStringLiteral("&Cancel"));
  ZugaenglicheNamenSetzen();
  InstallierenHinweisSetzen();
  QtTexteLaden(false);
}

void TFormWebInstall::InstallierenHinweisSetzen() {
  const bool en = Sprache == QLatin1String("English");
  QString hinweis;
  if (FServerWartet)
    hinweis = en ? QStringLiteral("Waiting for the update server's answer")
                 : QStringLiteral("Wartet auf die Antwort des Update-Servers");
  else if (!FServerOk)
    hinweis = en ? QStringLiteral("No connection to the update server") : QStringLiteral("Keine Verbindung zum Update-Server");
  // Without a tip of its own the action gives its caption, which the bound button leaves out.
  ActionInstallieren->setToolTip(hinweis);
}

void TFormWebInstall::QtTexteLaden(bool Deutsch) {
  if (FQtTexte) QCoreApplication::removeTranslator(FQtTexte.get());
  FQtTexte = std::make_unique<QTranslator>();
  const QLocale sprache(Deutsch ? QLocale::German : QLocale::English);
  if (FQtTexte->load(sprache, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(FQtTexte.get());
  else
    FQtTexte.reset();
}

void TFormWebInstall::ZugaenglicheNamenSetzen() {
  // A screen reader names each control: the flags by their language, the lights by their
  // captions, the rest by what they hold. Buttons with a caption are named by it already.
  const bool en = Sprache == QLatin1String("English");
  auto text = [en](const char* Deutsch, const char* Englisch) { return QString::fromUtf8(en ? Englisch : Deutsch); };
  SpeedButtonDeutsch->setAccessibleName(QStringLiteral("Deutsch"));
  SpeedButtonEnglish->setAccessibleName(QStringLiteral("English"));
  VirtualImagewwwVerbindung->setAccessibleName(LabelwwwVerbindung->text());
  VirtualImageKiroErreichbar->setAccessibleName(LabelKiroErreichbar->text());
  ComboBoxQVUSBLaufwerk->setAccessibleName(KuerzelFrei(LabelInfoStickLaufwerk->text()));
  LabelZielverzeichnis->setAccessibleName(text("Zielverzeichnis", "Target directory"));
  ProgressBarInstaller->setAccessibleName(text("Fortschritt", "Progress"));
  RichEditLog->setAccessibleName(text("Protokoll", "Log"));
  PanelInfo->setAccessibleName(PanelInfo->text());
}

// ---------------------------------------------------------------------------------------------
// State

QRadioButton* TFormWebInstall::Installationsmodusknopf(int Modus) const {
  const auto knoepfe = RadioGroupInstallationsmodus->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
  return Modus >= 0 && Modus < knoepfe.size() ? knoepfe[Modus] : nullptr;
}

int TFormWebInstall::Installationsmodus() const {
  for (int i = 0; i < 3; ++i)
    if (Installationsmodusknopf(i)->isChecked()) return i;
  return -1;
}

void TFormWebInstall::InstallationsmodusSetzen(int Modus) {
  if (QRadioButton* k = Installationsmodusknopf(Modus)) k->setChecked(true);
}

bool TFormWebInstall::InternetVerbunden() { return FUmgebung.InternetVerbunden(); }

QStringList TFormWebInstall::LaufwerkslisteFuellen() {
  const QString gemerkt = ComboBoxQVUSBLaufwerk->currentText();
  const std::optional<platform::TWechsellaufwerk> vorher = GewaehltesLaufwerk();
  ComboBoxQVUSBLaufwerk->clear();
  FLaufwerksdaten = FUmgebung.Laufwerke();
  QStringList liste;
  for (const platform::TWechsellaufwerk& w : FLaufwerksdaten) liste.append(w.Name);
  ComboBoxQVUSBLaufwerk->addItems(liste);
  int index = ComboBoxQVUSBLaufwerk->findText(gemerkt, Qt::MatchExactly | Qt::MatchCaseSensitive);
  // The selected stick keeps its selection when its node is now mounted (or the other way),
  // and the stick being formatted gets it back when it returns.
  const QString kennung = vorher ? Geraetekennung(*vorher) : FFormatGeraet;
  for (qsizetype i = 0; index < 0 && !kennung.isEmpty() && i < FLaufwerksdaten.size(); ++i)
    if (Geraetekennung(FLaufwerksdaten[i]) == kennung) index = int(i);
  ComboBoxQVUSBLaufwerk->setCurrentIndex(index);
  return liste;
}

std::optional<platform::TWechsellaufwerk> TFormWebInstall::GewaehltesLaufwerk() const {
  const int i = ComboBoxQVUSBLaufwerk->currentIndex();
  if (i < 0 || i >= FLaufwerksdaten.size() || FLaufwerksdaten[i].Name != ComboBoxQVUSBLaufwerk->currentText())
    return std::nullopt;
  return FLaufwerksdaten[i];
}

// ---------------------------------------------------------------------------------------------
// Removable drives and device changes

void TFormWebInstall::IndexNeuAufnehmen() {
  FIndexedDriveList = LaufwerkslisteFuellen();
  FIndexedGeraete.clear();
  for (const platform::TWechsellaufwerk& w : FLaufwerksdaten)
    if (!Geraetekennung(w).isEmpty()) FIndexedGeraete.append(Geraetekennung(w));
}

void TFormWebInstall::NeuesLaufwerkSuchen(QString& Laufwerk) {
  const QStringList liste = LaufwerkslisteFuellen();
  Laufwerk.clear();
  // From the end: of several new drives the last by name is found. A known stick under a new
  // name (its node now mounted) and the stick being formatted coming back are not new.
  for (qsizetype i = liste.size() - 1; i >= 0; --i) {
    const QString kennung = i < FLaufwerksdaten.size() ? Geraetekennung(FLaufwerksdaten[i]) : QString();
    const bool bekannt =
        !kennung.isEmpty() && (FIndexedGeraete.contains(kennung) || kennung == FFormatGeraet);
    if (!FIndexedDriveList.contains(liste[i]) && !bekannt) {
      Laufwerk = liste[i];
      return;
    }
  }
}

void TFormWebInstall::WMDeviceChange(int Ereignis) {
  switch (Ereignis) {
    case platform::DBT_DEVNODES_CHANGED:
      OberflaecheAktualisieren();
      break;
    case platform::DBT_DEVICEARRIVAL: {
      // The watcher reports an arrival once the drive is listed (mounted or not), so there is
      // nothing to wait for.
      QString neu;
      NeuesLaufwerkSuchen(neu);
      if (!neu.isEmpty()) {
        IndexNeuAufnehmen();
        ComboBoxQVUSBLaufwerk->setCurrentIndex(ComboBoxQVUSBLaufwerk->findText(neu, Qt::MatchExactly | Qt::MatchCaseSensitive));
        LogAnfuegen(Formatieren(QStringLiteral("USB-Stick an Laufwerk %s gefunden"), {neu}),
                    Formatieren(QStringLiteral("USB stick detected (drive %s)"), {neu}));
      }
      OberflaecheAktualisieren();
      break;
    }
    case platform::DBT_DEVICEREMOVECOMPLETE:
      IndexNeuAufnehmen();
      OberflaecheAktualisieren();
      break;
    default:
      break;
  }
}

void TFormWebInstall::OberflaecheAktualisieren() {
  // A refresh makes a request itself; inside a running transfer (or refresh) it waits.
  if (IdHTTPDateien->Laeuft() || FAktualisierungLaeuft) {
    FAktualisierungAusstehend = true;
    return;
  }
  FAktualisierungLaeuft = true;
  FAktualisierungAusstehend = false;

  VirtualImagewwwVerbindung->SetImageName(InternetVerbunden() ? kHaken : kKreuz);
  // The server test lets events in while it waits: nothing may start before its answer.
  ActionInstallieren->setEnabled(false);
  ActionFormatieren->setEnabled(false);
  ActionZielVerzeichniswahl->setEnabled(false);
  FServerWartet = true;
  InstallierenHinweisSetzen();
  FServerOk = ServerErreichbar();
  FServerWartet = false;
  InstallierenHinweisSetzen();
  VirtualImageKiroErreichbar->SetImageName(FServerOk ? kHaken : kKreuz);

  const bool D = !ComboBoxQVUSBLaufwerk->currentText().isEmpty();
  const bool T = !FVerzRechnerInst.isEmpty();
  const int M = Installationsmodus();
  const bool A = FEditionLehr, B = FEditionCBT, R = FEditionLehrStick, H = FEditionHeimStick;

  ActionFormatieren->setVisible(R);
  ActionFormatieren->setEnabled(D);
  LabelInfoStickLaufwerk->setVisible(R);
  ComboBoxQVUSBLaufwerk->setVisible(R);
  RadioGroupInstallationsmodus->setVisible(R);
  Installationsmodusknopf(0)->setEnabled(D);
  Installationsmodusknopf(1)->setEnabled(D);
  Installationsmodusknopf(2)->setEnabled(true);
  ActionInstallieren->setVisible(A || B || R || H);
  bool installieren = false;
  if (FServerOk) {
    if (R && ((M == 0 && T && D) || (M == 1 && D) || (M == 2 && T))) installieren = true;
    else installieren = A || B || H;
  }
  ActionInstallieren->setEnabled(installieren);
  ProgressBarInstaller->setVisible(ActionInstallieren->isVisible());
  const bool ziel = A || B || H || (R && (M == 0 || M == 2));
  ActionZielVerzeichniswahl->setVisible(ziel);
  LabelZielverzeichnis->setVisible(ziel);

  if (FLaufTiefe > 0) {
    SteuerungSperren();
  } else {
    ActionZielVerzeichniswahl->setEnabled(true);
    ComboBoxQVUSBLaufwerk->setEnabled(true);
    RadioGroupInstallationsmodus->setEnabled(true);
  }
  FAktualisierungLaeuft = false;
  AusstehendeAusfuehren();
}

void TFormWebInstall::SteuerungSperren() {
  ActionInstallieren->setEnabled(false);
  ActionFormatieren->setEnabled(false);
  ActionZielVerzeichniswahl->setEnabled(false);
  ComboBoxQVUSBLaufwerk->setEnabled(false);
  RadioGroupInstallationsmodus->setEnabled(false);
}

TFormWebInstall::TLaufSperre::TLaufSperre(TFormWebInstall& Fenster) : FFenster(Fenster) {
  ++FFenster.FLaufTiefe;
  FFenster.SteuerungSperren();
}

TFormWebInstall::TLaufSperre::~TLaufSperre() {
  if (--FFenster.FLaufTiefe > 0) return;
  FFenster.OberflaecheAktualisieren();
  if (FFenster.FSchliessenAusstehend) {
    FFenster.FSchliessenAusstehend = false;
    QMetaObject::invokeMethod(&FFenster, &QWidget::close, Qt::QueuedConnection);
  }
}

bool TFormWebInstall::Beschaeftigt() const {
  return FLaufTiefe > 0 || FAktualisierungLaeuft || IdHTTPDateien->Laeuft();
}

void TFormWebInstall::NachUebertragung(std::function<void()> Aufgabe) {
  if (IdHTTPDateien->Laeuft() || FAktualisierungLaeuft) {
    FAusstehend.push_back(std::move(Aufgabe));
    return;
  }
  Aufgabe();
}

void TFormWebInstall::AusstehendeAusfuehren() {
  if (IdHTTPDateien->Laeuft() || FAktualisierungLaeuft) return;
  while (!FAusstehend.empty() || FAktualisierungAusstehend) {
    auto aufgaben = std::exchange(FAusstehend, {});
    for (auto& a : aufgaben) a();
    if (FAktualisierungAusstehend) OberflaecheAktualisieren();
  }
  if (FSchliessenAusstehend && FLaufTiefe == 0) {
    FSchliessenAusstehend = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

// ---------------------------------------------------------------------------------------------
// Update-server transfers

QString TFormWebInstall::ServerHost() const { return QUrl(FUmgebung.UpdateServer).host(); }

int TFormWebInstall::ServerPort() const {
  const QUrl url(FUmgebung.UpdateServer);
  return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

QString TFormWebInstall::ServerUrl(const QString& Pfad) const {
  QString basis = FUmgebung.UpdateServer;
  while (basis.endsWith(u'/')) basis.chop(1);
  return basis + QString::fromLatin1(QUrl::toPercentEncoding(Pfad, "/"));
}

bool TFormWebInstall::Uebertragen(const std::function<bool()>& Anfrage) {
  const bool ok = Anfrage();
  AusstehendeAusfuehren();
  return ok;
}

bool TFormWebInstall::ServerErreichbar() {
  if (IdHTTPDateien->Laeuft()) return false;
  THttpFehler fehler;
  const bool ok = IdHTTPDateien->HolenText(ServerUrl(QStringLiteral("/db/servertest.txt")), nullptr, &fehler);
  if (!ok) {
    LogAnfuegen(Formatieren(QStringLiteral("Host:%s  Port:%d"), {ServerHost(), ServerPort()}));
    GrundAnfuegen(fehler);
  }
  return ok;
}

std::pair<QString, QString> TFormWebInstall::Grund(const THttpFehler& Fehler) const {
  if (Fehler.Art == THttpFehler::TArt::Schema) {
    THttpFehler basis = Fehler;
    basis.Text = FUmgebung.UpdateServer;
    return {QStringLiteral("KIRO_UPDATE_SERVER ") + basis.Deutsch(), QStringLiteral("KIRO_UPDATE_SERVER ") + basis.Englisch()};
  }
  return {Fehler.Deutsch(), Fehler.Englisch()};
}

void TFormWebInstall::GrundAnfuegen(const THttpFehler& Fehler) {
  const auto [de, en] = Grund(Fehler);
  LogAnfuegen(Formatieren(QStringLiteral("Grund: %s"), {de}), Formatieren(QStringLiteral("Reason: %s"), {en}));
}

bool TFormWebInstall::EditionsarchivLaden(int Art, QString& Pfad) {
  Pfad = FTempSystemverzeichnis + QStringLiteral("stick.7z");
  // A device change handled once the transfer has ended may add a line below this one.
  const TLogZeile zeile = LogAnfuegen(Formatieren(QStringLiteral("Download %s"), {Pfad}));
  EreignisseVerarbeiten();
  auto fehlgeschlagen = [this](const QString& grund, const QString& reason) {
    LogAnfuegen(Formatieren(QStringLiteral("Download fehlgeschlagen: %s"), {grund}),
                Formatieren(QStringLiteral("Download failed: %s"), {reason}));
    return false;
  };
  QString pfadServer;
  if (Art == 1) pfadServer = QStringLiteral("/db/lehr.7z");
  else if (Art == 2) pfadServer = QStringLiteral("/kirocbt/stick.7z");
  else return fehlgeschlagen(QStringLiteral("Art %1").arg(Art), QStringLiteral("kind %1").arg(Art));
  if (FTempSystemverzeichnis.isEmpty()) return fehlgeschlagen(QStringLiteral("kein Temp-Ordner"), QStringLiteral("no temp folder"));
  if (IdHTTPDateien->Laeuft())
    return fehlgeschlagen(QStringLiteral("eine andere Übertragung läuft noch"), QStringLiteral("another transfer is running"));

  // An archive of an earlier run must never be taken for this one.
  if (QFileInfo::exists(Pfad) && !QFile::remove(Pfad)) return fehlgeschlagen(Pfad, Pfad);
  const QString teil = Pfad + QStringLiteral(".part");
  QFile datei(teil);
  if (!datei.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    const QString grund = teil + QStringLiteral(": ") + datei.errorString();
    return fehlgeschlagen(grund, grund);
  }
  THttpFehler fehler;
  const bool ok = Uebertragen([&] { return IdHTTPDateien->Holen(ServerUrl(pfadServer), datei, &fehler); });
  datei.close();
  if (ok && datei.error() != QFileDevice::NoError) {
    const QString grund = teil + QStringLiteral(": ") + datei.errorString();
    return fehlgeschlagen(grund, grund);
  }
  if (!ok) {
    const auto [de, en] = Grund(fehler);
    return fehlgeschlagen(de, en);
  }
  if (!QFile::rename(teil, Pfad)) return fehlgeschlagen(Pfad, Pfad);
  LogZeileErsetzen(zeile, QStringLiteral("Download abgeschlossen"), QStringLiteral("Download complete"));
  return true;
}

namespace {

// A download's file, written straight to its descriptor in large blocks. The CRC-32 is taken
// from the bytes as they are written and kept for the file, so the check that follows the
// download finds it without reading the part again.
class TSummierteDatei final : public QIODevice {
 public:
  explicit TSummierteDatei(int Deskriptor) : FDeskriptor(Deskriptor) {
    FPuffer.reserve(kBlock);
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  ~TSummierteDatei() override {
    if (FDeskriptor >= 0) ::close(FDeskriptor);
  }
  TSummierteDatei(const TSummierteDatei&) = delete;
  TSummierteDatei& operator=(const TSummierteDatei&) = delete;

  bool isSequential() const override { return true; }

  // Writes the rest and closes the file; the sum is kept only when every byte and the close
  // succeeded. 0, or the error number of the first failure.
  int Schliessen(const QString& Pfad) {
    if (FDeskriptor < 0) return FFehler;
    Leeren();
    struct stat st {};
    const bool status = FFehler == 0 && ::fstat(FDeskriptor, &st) == 0;
    if (::close(FDeskriptor) != 0 && FFehler == 0) FFehler = errno;
    FDeskriptor = -1;
    QIODevice::close();
    if (FFehler == 0 && status) CRC32Merken(st, Pfad, FCrc, FGeschrieben);
    return FFehler;
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* Daten, qint64 Laenge) override {
    if (FFehler != 0 || FDeskriptor < 0) return -1;
    FPuffer.insert(FPuffer.end(), Daten, Daten + Laenge);
    if (FPuffer.size() >= kBlock && !Leeren()) return -1;
    return Laenge;
  }

 private:
  static constexpr std::size_t kBlock = 256 << 10;

  bool Leeren() {
    if (FFehler != 0) return false;
    if (!AllesSchreiben(FDeskriptor, FPuffer.data(), FPuffer.size())) {
      FFehler = errno;
      return false;
    }
    FCrc = CRC32Weiter(FCrc, FPuffer.data(), FPuffer.size());
    FGeschrieben += FPuffer.size();
    FPuffer.clear();
    return true;
  }

  int FDeskriptor;
  std::vector<char> FPuffer;
  std::uint32_t FCrc = 0;
  std::uint64_t FGeschrieben = 0;
  int FFehler = 0;
};

}  // namespace

bool TFormWebInstall::StickDateiLaden(const QString& Dateiname, qint64 Groesse) {
  auto serverFehler = [this](const THttpFehler& Fehler) {
    LogAnfuegen(QStringLiteral("Kiro-Server konnte nicht erreicht werden. Evtl. besteht keine Internetverbindung."),
                QStringLiteral("No connection to the Kiro server. Maybe there is noc internet connection"));
    GrundAnfuegen(Fehler);
    Abbrechen = true;
    return false;
  };
  // A failure on this computer is not the server's: the line names the file and the reason.
  auto lokalerFehler = [this](const QString& Datei, const QString& Grund) {
    LogAnfuegen(Formatieren(QStringLiteral("Download fehlgeschlagen: %s: %s"), {Datei, Grund}),
                Formatieren(QStringLiteral("Download failed: %s: %s"), {Datei, Grund}));
    Abbrechen = true;
    return false;
  };
  if (IdHTTPDateien->Laeuft()) return lokalerFehler(Dateiname, QStringLiteral("another transfer is running"));
  // Without a target folder the work folder would land in the current folder.
  if (FVerzRechnerInst.isEmpty()) return lokalerFehler(Dateiname, QStringLiteral("no target folder"));
  if (!ScriptDateinameZulaessig(Dateiname)) return lokalerFehler(Dateiname, QStringLiteral("file name refused"));
  // The one place where the stick build's downloads are written: inside the real work folder,
  // never through a link.
  std::optional<TArbeitsordner> eigener;
  const TArbeitsordner& arbeit =
      FStickArbeitsordner ? *FStickArbeitsordner : eigener.emplace(FVerzRechnerInst, kStickArbeitsordner);
  QString name = Dateiname;
  name.replace(u'\\', u'/');
  const QString pfad = arbeit.Pfad() + name;
  if (!arbeit.Offen()) return lokalerFehler(pfad, SystemFehlertext(arbeit.Fehler()));
  const int fd = arbeit.DateiOeffnen(Dateiname, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return lokalerFehler(pfad, SystemFehlertext(errno));
  TSummierteDatei datei(fd);
  THttpFehler uebertragung;
  const bool ok = Uebertragen([&] {
    return IdHTTPDateien->Holen(ServerUrl(QStringLiteral("/stick3/") + name), datei, &uebertragung, Groesse);
  });
  const int fehler = datei.Schliessen(pfad);
  if (ok && fehler == 0) return true;
  // A part that did not arrive whole cannot match its CRC-32: kept, it would only hold the room.
  arbeit.DateiEntfernen(Dateiname);
  if (fehler) return lokalerFehler(pfad, SystemFehlertext(fehler));
  if (IdHTTPDateien->ZuGross() && Groesse > 0)
    return lokalerFehler(pfad, Zweisprachig(QStringLiteral("mehr als die angegebenen %1 Bytes"),
                                            QStringLiteral("more than the %1 bytes listed"))
                                   .value_or(QString())
                                   .arg(Groesse));
  if (IdHTTPDateien->ZuGross())
    return lokalerFehler(pfad, Zweisprachig(QStringLiteral("mehr Daten als vom Server angekündigt"),
                                            QStringLiteral("more data than the server announced"))
                                   .value_or(QString()));
  return serverFehler(uebertragung);
}

void TFormWebInstall::IdHTTPDateienWorkBegin(qint64 AWorkCountMax) {
  // The bar holds int values: counts of 2 GiB and more are shifted down together.
  FFortschrittMax = qMax<qint64>(0, AWorkCountMax);
  FFortschrittShift = 0;
  while ((FFortschrittMax >> FFortschrittShift) > INT_MAX) ++FFortschrittShift;
  ProgressBarInstaller->setRange(0, FFortschrittMax > 0 ? int(FFortschrittMax >> FFortschrittShift) : 0);
  ProgressBarInstaller->setValue(0);
}

void TFormWebInstall::IdHTTPDateienWork(qint64 AWorkCount) {
  if (FFortschrittMax <= 0) return;  // unknown length: the bar shows that it is busy
  const qint64 n = qBound<qint64>(0, AWorkCount, FFortschrittMax);
  ProgressBarInstaller->setValue(int(n >> FFortschrittShift));
}

void TFormWebInstall::IdHTTPDateienWorkEnd() {
  if (FFortschrittMax <= 0) ProgressBarInstaller->setRange(0, 100);
  ProgressBarInstaller->setValue(0);
}

// ---------------------------------------------------------------------------------------------
// The log

std::optional<QString> TFormWebInstall::Zweisprachig(const QString& Deutsch, const QString& Englisch) const {
  if (Sprache == QLatin1String("Deutsch")) return Deutsch;
  if (Sprache == QLatin1String("English")) return Englisch;
  return std::nullopt;
}

namespace {

// Lines carry names from scripts, archives and the server: a control character in them would
// break or cut the line (a NUL ends the text a screen reader gets), so each is shown as "\xNN",
// and a line or paragraph separator as "\uNNNN".
QString SteuerzeichenSichtbar(const QString& Zeile) {
  QString aus;
  for (qsizetype i = 0; i < Zeile.size(); ++i) {
    const char16_t c = Zeile[i].unicode();
    const bool steuer = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    if (!steuer && c != 0x2028 && c != 0x2029) {
      if (!aus.isNull()) aus += QChar(c);
      continue;
    }
    if (aus.isNull()) {
      aus = Zeile.left(i);
      aus.reserve(Zeile.size() + 8);
    }
    aus += steuer ? QStringLiteral("\\x%1").arg(unsigned(c), 2, 16, QChar(u'0'))
                  : QStringLiteral("\\u%1").arg(unsigned(c), 4, 16, QChar(u'0'));
  }
  return aus.isNull() ? Zeile : aus;
}

}  // namespace

TLogZeile TFormWebInstall::LogAnfuegen(const QString& Zeile) {
  RichEditLog->appendPlainText(SteuerzeichenSichtbar(ProtokollzeileKuerzen(Zeile)));
  return TLogZeile{RichEditLog->document()->blockCount() - 1};
}

void TFormWebInstall::LogZeileErsetzen(TLogZeile Zeile, const QString& Text) {
  if (Zeile.Index < 0) return;
  QTextBlock block = RichEditLog->document()->findBlockByNumber(Zeile.Index);
  if (!block.isValid() || RichEditLog->document()->isEmpty()) {
    LogAnfuegen(Text);
    return;
  }
  QTextCursor c(block);
  c.movePosition(QTextCursor::StartOfBlock);
  c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  c.insertText(SteuerzeichenSichtbar(ProtokollzeileKuerzen(Text)));
}

void TFormWebInstall::LogLetzteErsetzen(const QString& Zeile) {
  // On an empty log there is no last line to turn into its result: the text is appended.
  LogZeileErsetzen(TLogZeile{RichEditLog->document()->blockCount() - 1}, Zeile);
}

TLogZeile TFormWebInstall::LogAnfuegen(const QString& Deutsch, const QString& Englisch) {
  const auto text = Zweisprachig(Deutsch, Englisch);
  return text ? LogAnfuegen(*text) : TLogZeile{};
}

void TFormWebInstall::LogLetzteErsetzen(const QString& Deutsch, const QString& Englisch) {
  if (const auto text = Zweisprachig(Deutsch, Englisch)) LogLetzteErsetzen(*text);
}

void TFormWebInstall::LogZeileErsetzen(TLogZeile Zeile, const QString& Deutsch, const QString& Englisch) {
  if (const auto text = Zweisprachig(Deutsch, Englisch)) LogZeileErsetzen(Zeile, *text);
}

QStringList TFormWebInstall::LogZeilen() const {
  if (RichEditLog->document()->isEmpty()) return {};
  return RichEditLog->toPlainText().split(u'\n');
}

}  // namespace kiro
