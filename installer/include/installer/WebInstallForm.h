#pragma once
// Paketlader's main window: status lights, drive picker, install mode, target folder, the
// actions, the language switch, the progress bar and the log.
#include "components/ComboBoxQV.h"
#include "installer/HttpClient.h"
#include "platform/Wechsellaufwerke.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QButtonGroup;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTranslator;

namespace kiro {

struct TGeprueftesScript;
class TArbeitsordner;

namespace platform {
class TShell;
class TLaufwerksbeobachter;
class TFormatierer;
}

// The four edition switches; any combination may be set.
struct TEdition {
  bool Lehr = false;
  bool CBT = false;
  bool LehrStick = false;
  bool HeimStick = false;
};

// The edition of a build option value: "Lehr", "LehrStick", "CBT" or "HeimStick".
std::optional<TEdition> EditionAusName(const QString& Name);

// What the window takes from its creator, so tests build any combination.
struct TWebInstallUmgebung {
  // The removable drives, ordered by name, each with its device node.
  std::function<QList<platform::TWechsellaufwerk>()> Laufwerke;
  // Reports the system's device changes; without one the window sees none.
  std::shared_ptr<platform::TLaufwerksbeobachter> Beobachter;
  // Makes the formatter of one drive format; without one (or a null one) no format starts.
  std::function<std::unique_ptr<platform::TFormatierer>()> Formatierer;
  // Where the target folder is proposed (the user's home), ending in "/"; "" proposes none.
  QString Basisverzeichnis;
  // The user's temp folder, ending in "/"; edition archives are downloaded into it.
  QString TempVerzeichnis;
  // Base URL of the update server, "http://host[:port]" or "https://host[:port]".
  QString UpdateServer = QStringLiteral("http://update.kiro.example");
  TEdition Edition;
  std::shared_ptr<platform::TShell> Shell;
  // Whether the system has an internet connection.
  std::function<bool()> InternetVerbunden;
  // The folder choice: shows the folder dialog on Vorschlag, gives the chosen folder or "".
  std::function<QString(const QString& Vorschlag)> OrdnerWaehlen;
  // The user's desktop folder, without trailing "/"; "" places no shortcuts.
  QString Desktopverzeichnis;

  // The program's own sources: removable drives with their change watcher, the formatter
  // that fits the system, home, the platform's temp folder, the routing table, the desktop's
  // opener and the folder dialog of the window.
  static TWebInstallUmgebung Standard();
};

// A picture from the application's image collection, chosen by name.
class TVirtualImage : public QWidget {
  Q_OBJECT
 public:
  explicit TVirtualImage(QWidget* Eltern = nullptr);
  void SetImageName(const QString& Name);
  const QString& ImageName() const { return FName; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString FName;
};

// A handle of one log line, valid while lines are only appended.
struct TLogZeile {
  int Index = -1;
};

class TFormWebInstall : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormWebInstall(TWebInstallUmgebung Umgebung, QWidget* Eltern = nullptr);
  ~TFormWebInstall() override;

  // Components, named as in the design.
  QLabel* PanelInfo = nullptr;
  TVirtualImage* VirtualImagewwwVerbindung = nullptr;
  QLabel* LabelwwwVerbindung = nullptr;
  TVirtualImage* VirtualImageKiroErreichbar = nullptr;
  QLabel* LabelKiroErreichbar = nullptr;
  QLabel* LabelInfoStickLaufwerk = nullptr;
  TComboBoxQV* ComboBoxQVUSBLaufwerk = nullptr;
  QPushButton* BitBtnFormatieren = nullptr;
  QGroupBox* RadioGroupInstallationsmodus = nullptr;
  QPushButton* BitBtnZielVerzeichniswahl = nullptr;
  QLabel* LabelZielverzeichnis = nullptr;
  QPushButton* BitBtnInstallieren = nullptr;
  QPushButton* BitBtnAbbrechen = nullptr;
  QProgressBar* ProgressBarInstaller = nullptr;
  QPushButton* BitBtnSchliessen = nullptr;
  QToolButton* SpeedButtonDeutsch = nullptr;
  QToolButton* SpeedButtonEnglish = nullptr;
  QPlainTextEdit* RichEditLog = nullptr;
  QFileDialog* FileOpenDialogCBTKopieren = nullptr;
  std::unique_ptr<THttpClient> IdHTTPDateien;

  // ActionManagerWebInstaller, in its order.
  QObject* ActionManagerWebInstaller = nullptr;
  QAction* ActionFormatieren = nullptr;
  QAction* ActionSchliessen = nullptr;
  QAction* ActionZielVerzeichniswahl = nullptr;
  QAction* ActionInstallieren = nullptr;
  QAction* ActionAbbrechen = nullptr;
  QAction* ActionDeutsch = nullptr;
  QAction* ActionEnglish = nullptr;

  // The image names of the language buttons' list, indices 0 to 3.
  const QStringList VirtualImageListWebInstaller{QStringLiteral("icon_hakengruen1"), QStringLiteral("icon_RotesKreuz"),
                                                 QStringLiteral("icon_flaggeDE"), QStringLiteral("icon_flaggeUK")};

  // Fields.
  QString FTempSystemverzeichnis;
  QString Sprache;
  bool FEditionLehr = false;
  bool FEditionCBT = false;
  bool FEditionLehrStick = false;
  bool FEditionHeimStick = false;
  QStringList FIndexedDriveList;
  QString FVerzRechnerInst;
  bool Abbrechen = false;

  // Handlers.
  void FormCreate();
  void FormShow();
  void FormDestroy();
  void RadioGroupInstallationsmodusClick();
  void ComboBoxQVUSBLaufwerkChange();
  void ActionZielVerzeichniswahlExecute();
  void ActionSchliessenExecute();
  void ActionAbbrechenExecute();
  void ActionDeutschExecute();
  void ActionEnglishExecute();
  // The install and format actions run under a TLaufSperre; the install flows are added
  // with the install code.
  void ActionInstallierenExecute();
  void ActionFormatierenExecute();

  // Creates or replaces the desktop shortcut Verknuepfung (a ".desktop" file) to Ziel, with
  // the folder of Ziel as its working folder. False when it could not be written.
  bool VerknuepfungErstellen(const QString& Ziel, const QString& Verknuepfung, const QString& Argumente,
                             const QString& Beschreibung);
  // The stick build into FVerzRechnerInst, its work folder FVerzRechnerInst + "KiroStick35/".
  void StickErstellen();
  // A stop signal arrived (a logout, kill): the program is ending. A run stops at once, its
  // unpack removes what it had begun; no transfer, refresh or waiting device change starts any
  // more, and the window closes as soon as the run has ended.
  void ProgrammBeenden();
  // Whether a fetched stick-build script can be used; when not, logs why.
  bool StickScriptBrauchbar(const TGeprueftesScript& Script, const QString& Name);

  // State refresh: the lights and every visibility and enabling rule.
  void OberflaecheAktualisieren();
  bool InternetVerbunden();
  // Refills the drive picker (keeping the selected drive when it is still there) and
  // returns the fresh list of names; the records behind the items go to FLaufwerksdaten.
  QStringList LaufwerkslisteFuellen();
  // The record of the selected drive; none when nothing is selected.
  std::optional<platform::TWechsellaufwerk> GewaehltesLaufwerk() const;
  // The records of the picker's items, in their order.
  QList<platform::TWechsellaufwerk> FLaufwerksdaten;

  // Removable drives and device changes.
  // Refills the picker and gives the last drive that is not in FIndexedDriveList, or "".
  void NeuesLaufwerkSuchen(QString& Laufwerk);
  // One device change: DBT_DEVNODES_CHANGED, DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE;
  // other codes are ignored.
  void WMDeviceChange(int Ereignis);

  // Formats the drive as FAT32 with the product's label, once it has been checked to be the
  // same removable device still; the result gets its log line.
  void LaufwerkFormatieren(const platform::TWechsellaufwerk& Laufwerk);
  // Selected install mode: 0 stick and computer, 1 stick only, 2 computer only.
  int Installationsmodus() const;
  void InstallationsmodusSetzen(int Modus);
  QRadioButton* Installationsmodusknopf(int Modus) const;

  // Update-server transfers.
  bool ServerErreichbar();
  // Fetches edition archive Art (1 or 2) to FTempSystemverzeichnis + "stick.7z"; Pfad is set
  // first in every case. True only when the whole archive arrived: it is received into
  // "stick.7z.part" and renamed when complete, and an older "stick.7z" is removed first.
  bool EditionsarchivLaden(int Art, QString& Pfad);
  // Fetches one stick-build file into FVerzRechnerInst + "KiroStick35/"; a failure logs the
  // server line, removes what arrived and sets Abbrechen. A body longer than the server
  // announced, or than Groesse (when above 0; else Hoechstens, when above 0), is stopped there.
  bool StickDateiLaden(const QString& Dateiname, qint64 Groesse = 0, qint64 Hoechstens = 0);
  void IdHTTPDateienWorkBegin(qint64 AWorkCountMax);
  void IdHTTPDateienWork(qint64 AWorkCount);
  void IdHTTPDateienWorkEnd();
  // Why a request failed, German and English; a base URL without its scheme is named as the
  // setting it comes from.
  std::pair<QString, QString> Grund(const THttpFehler& Fehler) const;
  // Appends the reason of a failed request on a line of its own; Was (when given) names what
  // was asked for, so the line tells whose answer failed.
  void GrundAnfuegen(const THttpFehler& Fehler, const QString& Was = {});
  // Server host and port as configured.
  QString ServerHost() const;
  int ServerPort() const;

  // Runs Aufgabe now, or once the running transfer (and refresh) has ended: a device change
  // never starts a second request in the middle of one.
  void NachUebertragung(std::function<void()> Aufgabe);

  // The log.
  // The text for the current language: German or English by Sprache; none for another value.
  std::optional<QString> Zweisprachig(const QString& Deutsch, const QString& Englisch) const;
  TLogZeile LogAnfuegen(const QString& Zeile);
  void LogLetzteErsetzen(const QString& Zeile);
  void LogZeileErsetzen(TLogZeile Zeile, const QString& Text);
  // Bilingual forms; they write nothing when Sprache is neither language.
  TLogZeile LogAnfuegen(const QString& Deutsch, const QString& Englisch);
  void LogLetzteErsetzen(const QString& Deutsch, const QString& Englisch);
  void LogZeileErsetzen(TLogZeile Zeile, const QString& Deutsch, const QString& Englisch);
  QStringList LogZeilen() const;

  // While one exists, an action is running: Install, Format, the folder choice, the drive
  // picker and the install modes are disabled, also through refreshes meanwhile; the last
  // one to end refreshes the window, which restores them, and carries out a close that was
  // asked for meanwhile.
  class TLaufSperre {
   public:
    explicit TLaufSperre(TFormWebInstall& Fenster);
    ~TLaufSperre();
    TLaufSperre(const TLaufSperre&) = delete;
    TLaufSperre& operator=(const TLaufSperre&) = delete;

   private:
    TFormWebInstall& FFenster;
  };
  bool ActionLaeuft() const { return FLaufTiefe > 0; }
  // An action runs, or a transfer (the refresh's server test included) is waited for: no
  // other action may start.
  bool Beschaeftigt() const;

  const TWebInstallUmgebung& Umgebung() const { return FUmgebung; }

 protected:
  void setVisible(bool Sichtbar) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  // Enter presses Install, as a dialog's default button would; a focused button takes it itself.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void KomponentenErzeugen();
  void Anordnen();
  void SteuerungSperren();
  // Refills the picker and takes its drives as the known ones (names and devices).
  void IndexNeuAufnehmen();
  void ZugaenglicheNamenSetzen();
  // The lights' state (on or off) as their accessible description, in the window's language.
  void LichterBeschreiben();
  // The window's own colours from the palette: its ground is the palette's base (white in a
  // light palette, as designed) and its texts the base's text colour.
  void FarbenUebernehmen();
  // Why Install cannot run (the server, and for the stick edition the drive, the target folder
  // or the mode it needs), one text each in the window's language; empty when it can.
  QStringList InstallierenGesperrtWeil() const;
  // The tip that says why Install is greyed, in the window's language.
  void InstallierenHinweisSetzen();
  // Qt's own texts (its dialogs and buttons) in the window's language.
  void QtTexteLaden(bool Deutsch);
  void AusstehendeAusfuehren();
  // The program is ending, or the window closes as soon as the transfer has ended: nothing
  // that waited for the transfer starts, and no refresh asks the server again.
  bool Endet() const;
  // Runs the request Anfrage, then what waited for its end; a program that is ending runs
  // neither, and Fehler says the request was cancelled.
  bool Uebertragen(THttpFehler& Fehler, const std::function<bool()>& Anfrage);
  QString ServerUrl(const QString& Pfad) const;
  // The install's steps (WebInstallInstallieren.cpp).
  bool LaufwerkNochDa(const platform::TWechsellaufwerk& Laufwerk);
  QString Entpacken(const QString& Archiv, const QString& Ziel);
  void ProgrammStarten(QString& Programm);

  TWebInstallUmgebung FUmgebung;
  QWidget* FFlaeche = nullptr;
  qreal FMassstab = 1.0;
  bool FGezeigt = false;
  int FLaufTiefe = 0;
  bool FServerOk = false;
  // The server test has not answered yet (before the first refresh and while one waits).
  bool FServerWartet = true;
  std::unique_ptr<QTranslator> FQtTexte;
  bool FFarbenSetzen = false;
  bool FAktualisierungLaeuft = false;
  bool FAktualisierungAusstehend = false;
  bool FSchliessenAusstehend = false;
  // The program is ending (a stop signal): every transfer, refresh, waiting device change,
  // step of a run and unpack asks this, and none starts or goes on once it is set.
  bool FBeenden = false;
  std::vector<std::function<void()>> FAusstehend;
  // The devices of FIndexedDriveList, and the one being formatted ("" when none).
  QStringList FIndexedGeraete;
  QString FFormatGeraet;
  qint64 FFortschrittMax = 0;
  int FFortschrittShift = 0;
  // The work folder a running stick build holds open; its downloads are written there.
  struct TStickArbeitsordnerSetzen;
  const TArbeitsordner* FStickArbeitsordner = nullptr;
};

}  // namespace kiro
