#pragma once
// The category dialog: one node of a tree of categories is picked, and the tree can be edited,
// loaded and saved. A tree file holds one node per line, depth first, each line indented by one
// TAB per level ("colouring.txt" and "categories.txt" below "_Setup" of a data folder; the
// user's own data folder before the official one).
//
// Files are read whole before the tree changes, so a bad line keeps the old tree; they are
// written back in the encoding they were read in, through "name~" and a rename.
#include <QDialog>

class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kiro {

class TOpenDialogQV;
class TSaveDialogQV;

class TFormKategoriewahl : public QDialog {
  Q_OBJECT

 public:
  // How a tree file was encoded; a tree that was never loaded is written as ANSI.
  enum class TKodierung { Ansi, Utf8, Utf16LE, Utf16BE };

  explicit TFormKategoriewahl(QWidget* parent = nullptr);

  // Typ 1 the colouring tree, 2 the category tree: presets both file dialogs and loads the
  // user's copy, else the official file. False with *Fehler set when no tree could be loaded
  // (the caller then does not show the dialog).
  bool Init(int Typ, QString* Fehler = nullptr);

  // Replace the tree by the file's / write the tree to the file. False with *Fehler set; the
  // tree or the old file stays as it was.
  bool KategorienLaden(const QString& Datei, QString* Fehler = nullptr);
  bool KategorienSpeichern(const QString& Datei, QString* Fehler = nullptr);

  // The selected node as "\Top\Child\..." (each level preceded by a backslash); "" without one.
  QString Kategoriepfad() const;
  TKodierung Kodierung() const { return FKodierung; }

  void ButtonHinzufuegenClick();
  void BitBtnBaumAufklappenClick();
  void BitBtnBaumEinklappenClick();
  void SpeedButtonLadenClick();
  void SpeedButtonSpeichernClick();

  QTreeWidget* TreeViewFarben;
  QPushButton* ButtonHinzufuegen;
  QToolButton* BitBtnBaumAufklappen;
  QToolButton* BitBtnBaumEinklappen;
  QToolButton* SpeedButtonLaden;
  QToolButton* SpeedButtonSpeichern;
  QPushButton* ButtonAbbrechen;
  QPushButton* ButtonOK;
  TOpenDialogQV* OpenDialogQVKategorie;
  TSaveDialogQV* SaveDialogQVKategorie;

 private:
  // The node the user picked, or null.
  QTreeWidgetItem* GewaehlterKnoten() const;

  TKodierung FKodierung = TKodierung::Ansi;
};

}  // namespace kiro
