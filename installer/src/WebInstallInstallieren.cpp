// The install action: the edition archives onto the computer and the removable drive, the
// desktop shortcut and the start of the installed program.
#include "installer/WebInstallForm.h"

#include "foundation/Formatieren.h"
#include "foundation/Pfade.h"
#include "foundation/SevenZip.h"
#include "platform/Shell.h"
#include "platform/Verknuepfung.h"

#include <QComboBox>
#include <QFileInfo>
#include <QProgressBar>

#include <memory>
#include <optional>
#include <utility>

namespace kiro {

namespace {

const QString kProgramm = QStringLiteral("KiroSim.exe");

// Whether the archive holds the program at its top level. Only then is the program in the
// target this run's copy; an older one left there by an earlier install is never started.
bool ProgrammImArchiv(const QString& Archiv) {
  try {
    std::unique_ptr<I7zInArchive> arch;
    ArchivObjektErzeugen(arch);
    arch->OpenFile(Archiv);
    const std::uint32_t n = arch->NumberOfItems();
    for (std::uint32_t i = 0; i < n; ++i) {
      if (arch->ItemIsFolder(i)) continue;
      // Names are matched in any letter case, as the unpack writes them.
      if (arch->ItemPath(i).compare(kProgramm, Qt::CaseInsensitive) == 0) return true;
    }
  } catch (const ESevenZip&) {
  }
  return false;
}

}  // namespace

void TFormWebInstall::ActionInstallierenExecute() {
  // A click that slipped in while a transfer or another run holds the window, or once the
  // program is ending, starts nothing.
  if (Beschaeftigt() || FBeenden) return;
  TLaufSperre sperre(*this);

  // Taken once: a click or a device change meanwhile does not move where this run writes.
  const QString ziel = FVerzRechnerInst;
  const int modus = Installationsmodus();
  const QString laufwerkName = ComboBoxQVUSBLaufwerk->currentText();
  const bool aufRechner = !ziel.isEmpty() && !(FEditionLehrStick && modus == 1);
  std::optional<platform::TWechsellaufwerk> laufwerk;
  if (FEditionLehrStick && (modus == 0 || modus == 1) && !laufwerkName.isEmpty()) {
    laufwerk = GewaehltesLaufwerk();
    // Gone since the picker was filled: refused as not mounted when it would be written.
    if (!laufwerk) laufwerk = platform::TWechsellaufwerk{laufwerkName, QString(), QString(), false};
  }
  const QString desktop = Umgebung().Desktopverzeichnis;
  auto verknuepfung = [&desktop](const QString& Name) {
    return desktop.isEmpty() ? QString() : desktop + u'/' + Name + QStringLiteral(".desktop");
  };
  auto installierenIn = [this, &ziel] {
    LogAnfuegen(Formatieren(QStringLiteral("Installieren in %s"), {ziel}),
                Formatieren(QStringLiteral("Installing to %s"), {ziel}));
  };

  QString programm;

  // Block 1: the first edition archive, onto the computer and/or the drive.
  if (FEditionLehr || FEditionLehrStick) {
    QString archiv;
    // A failed download has been logged; nothing of it is unpacked.
    if (EditionsarchivLaden(1, archiv)) {
      if (aufRechner) {
        installierenIn();
        const QString installiert = Entpacken(archiv, ziel);
        if (!installiert.isEmpty()) {
          programm = installiert;
          VerknuepfungErstellen(installiert, verknuepfung(QStringLiteral("Kiro Lehr")), QString(),
                                QStringLiteral("Kiro Lehr-Version"));
        }
      }
      if (laufwerk && LaufwerkNochDa(*laufwerk)) {
        LogAnfuegen(Formatieren(QStringLiteral("Installieren auf Stick %s"), {laufwerk->Name}),
                    Formatieren(QStringLiteral("Installing on stick %s"), {laufwerk->Name}));
        const QString installiert = Entpacken(archiv, laufwerk->Name);
        if (programm.isEmpty()) programm = installiert;
      }
      ProgrammStarten(programm);
    }
  }

  // Block 2: the second edition archive, onto the computer.
  if (FEditionCBT && !FBeenden) {
    QString archiv;
    if (EditionsarchivLaden(2, archiv) && !ziel.isEmpty()) {
      installierenIn();
      const QString installiert = Entpacken(archiv, ziel);
      if (!installiert.isEmpty()) {
        programm = installiert;
        VerknuepfungErstellen(installiert, verknuepfung(QStringLiteral("Kiro CBT")), QString(),
                              QStringLiteral("Kiro CBT-Version"));
      }
    }
    ProgrammStarten(programm);
  }

  // Block 3: the stick build.
  if (FEditionHeimStick && !FBeenden) StickErstellen();

  // The lock's end refreshes the window and carries out the close asked for by a start.
}

bool TFormWebInstall::LaufwerkNochDa(const platform::TWechsellaufwerk& Laufwerk) {
  if (!Laufwerk.Eingehaengt) {
    LogAnfuegen(Formatieren(QStringLiteral("Laufwerk %s ist nicht eingehängt; zum Installieren muss es eingehängt sein"),
                            {Laufwerk.Name}),
                Formatieren(QStringLiteral("Drive %s is not mounted; installing needs a mounted drive"), {Laufwerk.Name}));
    return false;
  }
  // The stick may have been pulled, or another one mounted at the same place, since the run
  // began: only the device chosen then is written to.
  for (const platform::TWechsellaufwerk& jetzt : FUmgebung.Laufwerke()) {
    if (jetzt.Name != Laufwerk.Name) continue;
    if (jetzt.Eingehaengt && jetzt.Geraet == Laufwerk.Geraet && jetzt.MajorMinor == Laufwerk.MajorMinor) return true;
    break;
  }
  LogAnfuegen(Formatieren(QStringLiteral("Laufwerk %s ist nicht mehr dasselbe eingehängte Gerät; nichts wurde darauf "
                                         "geschrieben"),
                          {Laufwerk.Name}),
              Formatieren(QStringLiteral("Drive %s is no longer the same mounted device; nothing was written to it"),
                          {Laufwerk.Name}));
  return false;
}

QString TFormWebInstall::Entpacken(const QString& Archiv, const QString& Ziel) {
  // A failed unpack has shown its error box; what it left in the target is not started.
  if (!SevenZipEntpacken(Archiv, Ziel, ProgressBarInstaller, -1, [this] { return FBeenden; })) return QString();
  if (!ProgrammImArchiv(Archiv)) return QString();
  // The unpack wrote the program under the archive's name or onto a file already there in
  // another letter case: the program is the file that is on disk now.
  return SicherVerbindenOhneGrossKlein(Ziel, kProgramm).value_or(QString());
}

void TFormWebInstall::ProgrammStarten(QString& Programm) {
  // Each installed copy is started once, also when a later block finds it again.
  const QString datei = std::exchange(Programm, QString());
  if (datei.isEmpty() || !QFileInfo(datei).isFile()) return;
  const bool gestartet = FUmgebung.Shell && FUmgebung.Shell->ProgrammStarten(datei);
  if (!gestartet) {
    // The window stays, so the user sees why and where the program is.
    LogAnfuegen(Formatieren(QStringLiteral("%s konnte nicht gestartet werden"), {datei}),
                Formatieren(QStringLiteral("Could not start %s"), {datei}));
    return;
  }
  close();
}

bool TFormWebInstall::VerknuepfungErstellen(const QString& Ziel, const QString& Verknuepfung, const QString& Argumente,
                                            const QString& Beschreibung) {
  if (Verknuepfung.isEmpty()) return false;
  platform::TVerknuepfung v;
  v.Name = QFileInfo(Verknuepfung).completeBaseName();
  v.Beschreibung = Beschreibung;
  v.Ziel = Ziel;
  v.Argumente = Argumente;
  v.Arbeitsordner = Ziel.left(Ziel.lastIndexOf(u'/') + 1);
  return platform::DesktopEintragSchreiben(Verknuepfung, v);
}

}  // namespace kiro
