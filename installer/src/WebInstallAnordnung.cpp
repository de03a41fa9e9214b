// The main window's layout: its components with their design values, where they sit as the
// window grows, the tab order, the colours taken from the palette and the names a screen reader
// reads. The behaviour behind them lives in the other WebInstall files.
#include "installer/WebInstallForm.h"

#include "WebInstallIntern.h"

#include <QAction>
#include <QButtonGroup>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

namespace kiro {

namespace {

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
  // Qt's own dialog on every desktop: its texts follow the window's language, and it keeps the
  // folder and the selection set below, which a desktop portal's picker may ignore.
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

void TFormWebInstall::ZugaenglicheNamenSetzen() {
  // A screen reader names each control: the flags by their language, the lights by their
  // captions (their state is their description), the rest by what they hold. Buttons with a
  // caption are named by it already.
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
  LichterBeschreiben();
}

void TFormWebInstall::LichterBeschreiben() {
  // A tick and a cross look different but have one name: a reader hears the state as the
  // light's description, and a change as that description changing.
  const bool en = Sprache == QLatin1String("English");
  for (TVirtualImage* licht : {VirtualImagewwwVerbindung, VirtualImageKiroErreichbar}) {
    const bool an = licht->ImageName() == kHaken;
    const QString zustand = an ? (en ? QStringLiteral("Connected") : QStringLiteral("Verbunden"))
                               : (en ? QStringLiteral("Not connected") : QStringLiteral("Nicht verbunden"));
    if (licht->accessibleDescription() == zustand) continue;
    licht->setAccessibleDescription(zustand);
  }
}

}  // namespace kiro
