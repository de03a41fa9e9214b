#pragma once
// The system's file open and save dialogs: Qt's own file dialog (the same everywhere) whose
// type list comes from the product's file-type table, whose start folder is chosen relative to
// the data folder, and which follows folder links: choosing a "*.link.txt" file, whose first
// line names a folder below the data folder, reopens the dialog in that folder instead of
// returning the file.
//
// Properties are kept between calls, FileName included, so the last chosen file decides where
// the next Execute opens. Execute never throws: an error is logged, shown in one message box
// and the dialog opens again.
#include <QFileDialog>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

namespace kiro {

// One entry of the type list: the caption and the table's mask ("*.rv.fzg; *.link.txt").
struct TDateiTypEintrag {
  QString Name;
  QString Maske;
  bool operator==(const TDateiTypEintrag&) const = default;
};

// The table's mask as Qt's name filter wants it: patterns separated by blanks, "*" for "*.*".
QString QtMaske(const QString& Maske);

// True for a folder-link file: ".txt" with ".link.txt" at its end in any letter case.
bool IstOrdnerLink(const QString& Datei);

class TKiroDateiDialog : public QFileDialog {
  Q_OBJECT
  Q_PROPERTY(qint64 KiroFilter MEMBER KiroFilter)
  Q_PROPERTY(int KiroFilterStart MEMBER KiroFilterStart)
  Q_PROPERTY(QString Startpfad MEMBER Startpfad)

 public:
  // Shows the configured dialog and returns its result; tests replace it to act as the user.
  using TAnzeigen = std::function<int(QFileDialog&)>;

  // Row i of the file-type table is offered when bit (i mod 64) is set (rows 64 and 65 follow
  // bits 0 and 1).
  std::int64_t KiroFilter = 0;
  // The preselected row (a TDateiTyp), which also gives the default extension.
  int KiroFilterStart = 0;
  // The start folder, relative to Datenverzeichnis.
  QString Startpfad;

  // What Filtersetzen builds and Execute shows: the type list, the 1-based position of the
  // preselected entry (0: the first), the extension appended to names typed without one.
  QList<TDateiTypEintrag> FileTypes;
  int FileTypeIndex = 0;
  QString DefaultExtension;
  // The chosen file's full path after Execute; before it, the file to preselect.
  QString FileName;
  // The folder the dialog opens in (used only when absolute and existing).
  QString DefaultFolder;

  // Builds FileTypes, DefaultExtension and FileTypeIndex from the properties.
  virtual void Filtersetzen() = 0;
  // Shows the dialog until a file that is no folder link is confirmed (true, FileName set) or
  // the user cancels (false).
  bool Execute();
  // Presets the dialog for an existing file: its folder and the file name. False on failure.
  virtual bool PfadundNameSetzen(const QString& Datei);

  void AnzeigenSetzen(TAnzeigen Anzeigen) { FAnzeigen = std::move(Anzeigen); }

 protected:
  TKiroDateiDialog(QWidget* parent, bool Speichern);
  // Step 3 of the list: add the selected rows; returns the position of the KiroFilterStart row
  // (0 when it is not offered). With Alle, the first entry collects the captions and masks.
  int ZeilenEintragen(bool Alle);

 private:
  void StartordnerWaehlen();
  void Vorbereiten();
  bool LinkFolgen(const QString& Link);

  bool FSpeichern;
  TAnzeigen FAnzeigen;
};

class TOpenDialogQV : public TKiroDateiDialog {
  Q_OBJECT
  Q_PROPERTY(bool AlleFiltern MEMBER AlleFiltern)

 public:
  explicit TOpenDialogQV(QWidget* parent = nullptr);
  // Put an entry that offers every selected type at once first, and preselect it.
  bool AlleFiltern = false;

  void Filtersetzen() override;
  // Also sets Startpfad to the file's folder relative to the data folders.
  bool PfadundNameSetzen(const QString& Datei) override;
};

class TSaveDialogQV : public TKiroDateiDialog {
  Q_OBJECT

 public:
  explicit TSaveDialogQV(QWidget* parent = nullptr);
  // A start row that is not offered keeps FileTypeIndex as it was.
  void Filtersetzen() override;
};

}  // namespace kiro
