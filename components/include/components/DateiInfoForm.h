#pragma once
// The file-information dialog: a person edits the header of a data file (authors, category,
// usable-from and usable-until dates, object ID, short description and the files it needs);
// file name and format version are only shown. Authors are edited in the author dialog, the
// category is picked in the category dialog, needed files in the open dialog.
//
// DateiInfoDialogInstallieren makes it the dialog the data-file model edits headers with.
#include "components/DateiInfoBearbeitung.h"
#include "foundation/KiroTypen.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace kiro {

class TLabeledEditQV;
class TOpenDialogQV;
class TStringGridQV;

class TFormDateiInfo : public QDialog {
  Q_OBJECT

 public:
  explicit TFormDateiInfo(QWidget* parent = nullptr);

  // The author list the dialog shows and edits; filled before the dialog is shown.
  TAutoren Autoren;

  // One line of the author list.
  static QString Autorenzeile(const TAutor& Autor);

  void FormShow();
  void CheckBoxEinsatzAbKeineAngabeClick();
  void ListBoxAutorenDblClick();
  void ActionAutorAnfuegenExecute();
  void ActionFarbeExecute();
  void ActionZeileNeuExecute();
  void ActionZeileLoeschenExecute();
  void ActionDateiWahlExecute();

  void AutorenAnzeigen();
  void EinsatzzeitraumAktualisieren();

  // The header's values into the components and back (the dates read 0 while "Keine Angabe"
  // is ticked).
  void Fuellen(const TDateiInfoFelder& Felder);
  void Auslesen(TDateiInfoFelder& Felder) const;

  TLabeledEditQV* LabeledEditQVDateiname;
  TLabeledEditQV* LabeledEditQVVersion;
  QLabel* LabelAutoren;
  QListWidget* ListBoxAutoren;
  TLabeledEditQV* LabeledEditQVKategorie;
  QToolButton* BitBtnFarbe;
  QLabel* LabelEinsatzAb;
  QDateTimeEdit* DateTimePickerEinsatzAb;
  QCheckBox* CheckBoxEinsatzAbKeineAngabe;
  QLabel* LabelEinsatzBis;
  QDateTimeEdit* DateTimePickerEinsatzBis;
  QCheckBox* CheckBoxEinsatzbisKeineAngabe;
  TLabeledEditQV* LabeledEditQVObjektID;
  QLabel* LabelBeschreibung;
  QPlainTextEdit* MemoBeschreibung;
  QLabel* LabelDateien;
  TStringGridQV* StringGridQVDateien;
  QPushButton* ButtonAbbrechen;
  QPushButton* ButtonOK;
  TOpenDialogQV* OpenDialogQVDatei;
  QMenu* SpTBXPopupMenuAutor;
  QMenu* SpTBXPopupMenuDateien;
  QAction* ActionAutorAnfuegen;
  QAction* ActionEmailAutoren;
  QAction* ActionFarbe;
  QAction* ActionZeileNeu;
  QAction* ActionZeileLoeschen;
  QAction* ActionDateiWahl;

 protected:
  void showEvent(QShowEvent* event) override;
};

// The dialog behind the data-file model's header editing.
class TDateiInfoBearbeitungQV : public IDateiInfoBearbeitung {
 public:
  int Bearbeiten(TDateiInfoFelder& Felder) override;
};

// Installs the file-information dialog for the data-file model (once the QApplication exists).
void DateiInfoDialogInstallieren();

}  // namespace kiro
