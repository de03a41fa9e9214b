// The main window: its creation and start-up, the handlers of its actions, the language switch
// and the refresh of its state after every action and device change. The layout, the drives,
// the transfers and the log have files of their own beside the flows (WebInstall*.cpp).
#include "installer/WebInstallForm.h"

#include "WebInstallIntern.h"

#include "Arbeitsordner.h"
#include "bilder/Bildersammlung.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "platform/Formatierer.h"
#include "platform/Laufwerksbeobachter.h"
#include "platform/Netz.h"
#include "platform/Shell.h"
#include "platform/TempOrdner.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QTranslator>

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

// ---------------------------------------------------------------------------------------------

namespace {

// A picture is an image to a screen reader, named and described as the window sets it; Qt
// gives a plain widget the filler role, which readers pass over.
QAccessibleInterface* BildZugang(const QString& Klasse, QObject* Objekt) {
  if (Klasse == QLatin1String(TVirtualImage::staticMetaObject.className()))
    if (auto* bild = qobject_cast<TVirtualImage*>(Objekt)) return new QAccessibleWidget(bild, QAccessible::Graphic);
  return nullptr;
}

}  // namespace

TVirtualImage::TVirtualImage(QWidget* Eltern) : QWidget(Eltern) {
  static const bool fabrik = (QAccessible::installFactory(BildZugang), true);
  Q_UNUSED(fabrik);
}

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
  if (!ActionInstallieren->isVisible() || ActionLaeuft()) return;
  if (ActionInstallieren->isEnabled()) {
    ActionInstallieren->trigger();
    return;
  }
  // A greyed Install takes no focus and no click; Enter, which would press it, says why.
  const QStringList gruende = InstallierenGesperrtWeil();
  if (!gruende.isEmpty())
    LogAnfuegen(QStringLiteral("Installieren nicht möglich: ") + gruende.join(QStringLiteral("; ")),
                QStringLiteral("Cannot install: ") + gruende.join(QStringLiteral("; ")));
}

void TFormWebInstall::closeEvent(QCloseEvent* e) {
  // A running action ends first; the window closes right after it.
  if (FLaufTiefe > 0 || IdHTTPDateien->Laeuft()) {
    // A transfer can take long (a server that never ends its answer): the user learns why the
    // window stays and how to end it now.
    if (!FSchliessenAusstehend && !FBeenden && IdHTTPDateien->Laeuft()) {
      LogAnfuegen(
          QStringLiteral("Das Fenster schließt, sobald die Übertragung beendet ist. Abbrechen beendet sie sofort."),
          QStringLiteral("The window closes when the transfer has ended. Cancel ends it now."));
      ActionAbbrechen->setVisible(true);
    }
    FSchliessenAusstehend = true;
    e->ignore();
    return;
  }
  FSchliessenAusstehend = false;
  // Cancel offered for a transfer that has ended goes with the window.
  ActionAbbrechen->setVisible(false);
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
  // A running transfer ends now: a server that never ends its answer must not hold the run.
  IdHTTPDateien->Abbrechen();
  EreignisseVerarbeiten();
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

QStringList TFormWebInstall::InstallierenGesperrtWeil() const {
  const bool en = Sprache == QLatin1String("English");
  auto text = [en](const char* Deutsch, const char* Englisch) { return QString::fromUtf8(en ? Englisch : Deutsch); };
  QStringList gruende;
  if (FServerWartet)
    gruende << text("Wartet auf die Antwort des Update-Servers", "Waiting for the update server's answer");
  else if (!FServerOk)
    gruende << text("Keine Verbindung zum Update-Server", "No connection to the update server");
  // The stick edition needs what its mode installs to; with another edition set, Install runs
  // that edition's flow without them.
  if (FEditionLehrStick && !(FEditionLehr || FEditionCBT || FEditionHeimStick)) {
    const int M = Installationsmodus();
    if (M < 0) gruende << text("Kein Installationsmodus gewählt", "No installation mode chosen");
    if ((M == 0 || M == 1) && ComboBoxQVUSBLaufwerk->currentText().isEmpty())
      gruende << (ComboBoxQVUSBLaufwerk->count() == 0 ? text("Kein USB-Laufwerk angeschlossen", "No USB drive connected")
                                                       : text("Kein USB-Laufwerk gewählt", "No USB drive selected"));
    if ((M == 0 || M == 2) && FVerzRechnerInst.isEmpty())
      gruende << text("Kein Zielverzeichnis gewählt", "No target directory chosen");
  }
  return gruende;
}

void TFormWebInstall::InstallierenHinweisSetzen() {
  // Without a tip of its own the action gives its caption, which the bound button leaves out.
  ActionInstallieren->setToolTip(InstallierenGesperrtWeil().join(u'\n'));
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

void TFormWebInstall::OberflaecheAktualisieren() {
  // A refresh makes a request itself; inside a running transfer (or refresh) it waits.
  if (IdHTTPDateien->Laeuft() || FAktualisierungLaeuft) {
    FAktualisierungAusstehend = true;
    return;
  }
  FAktualisierungLaeuft = true;
  FAktualisierungAusstehend = false;

  VirtualImagewwwVerbindung->SetImageName(InternetVerbunden() ? kHaken : kKreuz);
  LichterBeschreiben();
  // The server test lets events in while it waits: nothing may start before its answer.
  ActionInstallieren->setEnabled(false);
  ActionFormatieren->setEnabled(false);
  ActionZielVerzeichniswahl->setEnabled(false);
  FServerWartet = true;
  InstallierenHinweisSetzen();
  FServerOk = ServerErreichbar();
  FServerWartet = false;
  VirtualImageKiroErreichbar->SetImageName(FServerOk ? kHaken : kKreuz);
  LichterBeschreiben();

  const bool D = !ComboBoxQVUSBLaufwerk->currentText().isEmpty();
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
  // Install is enabled when nothing speaks against it; its tip names what does.
  InstallierenHinweisSetzen();
  ActionInstallieren->setEnabled((A || B || R || H) && InstallierenGesperrtWeil().isEmpty());
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
  if (FFenster.FSchliessenAusstehend) QMetaObject::invokeMethod(&FFenster, &QWidget::close, Qt::QueuedConnection);
}

bool TFormWebInstall::Beschaeftigt() const {
  return FLaufTiefe > 0 || FAktualisierungLaeuft || IdHTTPDateien->Laeuft();
}

void TFormWebInstall::NachUebertragung(std::function<void()> Aufgabe) {
  if (Endet()) return;
  if (IdHTTPDateien->Laeuft() || FAktualisierungLaeuft) {
    FAusstehend.push_back(std::move(Aufgabe));
    return;
  }
  Aufgabe();
}

bool TFormWebInstall::Endet() const { return FBeenden || (FSchliessenAusstehend && FLaufTiefe == 0); }

void TFormWebInstall::AusstehendeAusfuehren() {
  if (IdHTTPDateien->Laeuft() || FAktualisierungLaeuft) return;
  while (!Endet() && (!FAusstehend.empty() || FAktualisierungAusstehend)) {
    auto aufgaben = std::exchange(FAusstehend, {});
    for (auto& a : aufgaben)
      if (!Endet()) a();
    if (FAktualisierungAusstehend && !Endet()) OberflaecheAktualisieren();
  }
  // What waited behind the transfer would only hold the end up (a new server test that may
  // never answer).
  if (Endet()) {
    FAusstehend.clear();
    FAktualisierungAusstehend = false;
  }
  if (FSchliessenAusstehend && FLaufTiefe == 0) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

}  // namespace kiro
