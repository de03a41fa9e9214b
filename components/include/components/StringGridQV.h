#pragma once
// The system's table: a grid of texts whose row 0 is the header (shown as the table's header)
// and whose rows from 1 on are data. Each row may carry one caller-owned pointer
// (DatenPointer) that travels with the row through every row operation; the grid never frees
// what it points to. An optional image column shows, in each cell, the image of the
// collection whose index the cell's text holds. Grid files are plain text with TAB-separated
// cells and CR LF line ends.
//
// Rows and columns are addressed as the maker's grid does: Cells(Spalte, Zeile), row 0 the
// header, columns below FixedCols (1 in a new grid, as in the maker's) fixed (drawn as headers, not selectable, not moved by
// insert and delete). Keep the row count through RowCountSetzen and the row operations:
// QTableWidget::setRowCount would leave DatenPointer out of step.
#include <QList>
#include <QStringList>
#include <QTableWidget>

namespace kiro {

class TImageCollection;

class TStringGridQV : public QTableWidget {
  Q_OBJECT
  Q_PROPERTY(int ImageSpalte READ ImageSpalte WRITE ImageSpalteSetzen)
  Q_PROPERTY(int FixedCols READ FixedCols WRITE FixedColsSetzen)

 public:
  explicit TStringGridQV(QWidget* parent = nullptr);

  // One entry per row (header included), nullptr unless the caller set one.
  QList<void*> DatenPointer;

  // Rows, the header row included; at least 1. Growing clears the new rows, shrinking drops
  // the last rows and their pointers.
  int RowCount() const { return rowCount() + 1; }
  void RowCountSetzen(int Anzahl);
  int ColCount() const { return columnCount(); }
  void ColCountSetzen(int Anzahl);
  int FixedCols() const { return FFixedCols; }
  void FixedColsSetzen(int Anzahl);

  // The current row (1 when no data row is current yet) and making a row current.
  int Row() const;
  void RowSetzen(int Zeile);

  // "" for a cell outside the grid; writes outside the grid are ignored.
  QString Cells(int Spalte, int Zeile) const;
  void CellsSetzen(int Spalte, int Zeile, const QString& Text);

  // The image column (-1: none) and the collection it draws from (borrowed; nullptr draws
  // nothing). A cell's text is the image's index in the collection's order.
  int ImageSpalte() const { return FImageSpalte; }
  void ImageSpalteSetzen(int Spalte);
  TImageCollection* ImageCollection() const { return FImageCollection; }
  void ImageCollectionSetzen(TImageCollection* Sammlung);
  // The image a cell text names at the given square size: the whole number's index, or when the
  // collection has no image there, the index of the text's first digit; null when neither.
  QPixmap ZellenBild(const QString& Text, int Kante) const;

  // Row operations. -1 means the current row; a row outside 1 .. RowCount()-1 is ignored.
  // Inserts an empty row at Zeile (-2: after the last row); the rows from there move down
  // with their pointers. The new row's index, or -1 when ignored.
  int ZeileEinfuegen(int Zeile);
  // Removes the row; the last data row is only emptied (false then, and when ignored).
  bool ZeileLoeschen(int Zeile);
  // Empties the non-fixed cells and the pointer of the row.
  void ZeileLeeren(int Zeile);
  // Exchange the row with the one above or below, pointers included; the current row follows.
  void NachOben(int Zeile);
  void NachUnten(int Zeile);
  // Sorts the data rows ascending by column Spalte: by number with Wert ("." or "," as decimal
  // separator; texts that are no number after all numbers), else by text code unit by code unit.
  // Empty key cells stay where they are.
  void Sortieren(int Spalte, bool Wert);

  // The cells of row i joined by TAB; "" outside the grid.
  QString ZeileTab(int i) const;
  // Appends ZeileTab of every row, header included.
  void TabelleTab(QStringList& ss) const;

  // Grid files. Saving writes the non-fixed part (MitFixed: everything) as Windows-1252, or as
  // UTF-8 with a byte-order mark when a cell holds a character 1252 lacks; a TAB or line break
  // inside a cell is written as a blank. Loading reads the whole file first (a byte-order mark
  // chooses UTF-8 or UTF-16, else 1252) and fills from the first non-fixed row and column (or
  // from row 0 and column 0); the grid keeps at least one data row and never loses columns.
  // Failure logs one line and returns false, leaving the grid or the old file as it was.
  bool SaveToFile(const QString& Datei);
  bool SaveToFileMitFixed(const QString& Datei);
  bool LoadFromFile(const QString& Datei);
  bool LoadFromFileMitFixed(const QString& Datei);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  bool ZeileGueltig(int Zeile) const { return Zeile >= 1 && Zeile < RowCount(); }
  int Aufloesen(int Zeile) const { return Zeile == -1 ? Row() : Zeile; }
  void ZeilenTauschen(int a, int b);
  void ZellenFlaggen(QTableWidgetItem& Zelle, int Spalte) const;
  bool SpeichernAb(int ErsteZeile, int ErsteSpalte, const QString& Datei);
  bool LadenAb(int ErsteZeile, int ErsteSpalte, const QString& Datei);

  TImageCollection* FImageCollection = nullptr;
  int FImageSpalte = -1;
  int FFixedCols = 1;
};

}  // namespace kiro
