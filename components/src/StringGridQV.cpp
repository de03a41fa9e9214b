#include "components/StringGridQV.h"

#include "bilder/Bildersammlung.h"
#include "components/Aktivfarbe.h"
#include "foundation/Protokoll.h"
#include "foundation/Textdatei.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace kiro {

namespace {

// Paints the image column: the cell's background as usual, then the image in a square as high
// as the row at the cell's left, and no text.
class TBildDelegate : public QStyledItemDelegate {
 public:
  explicit TBildDelegate(TStringGridQV& Grid) : QStyledItemDelegate(&Grid), FGrid(Grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.column() != FGrid.ImageSpalte() || !FGrid.ImageCollection()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* w = opt.widget;
    (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
    QRect flaeche = option.rect;
    if (flaeche.width() > flaeche.height()) flaeche.setWidth(flaeche.height());
    const QPixmap bild = FGrid.ZellenBild(text, flaeche.height());
    if (!bild.isNull()) painter->drawPixmap(flaeche, bild);
  }

 private:
  TStringGridQV& FGrid;
};

std::optional<int> GanzeZahl(const QString& Text) {
  bool ok = false;
  const int i = Text.toInt(&ok);
  return ok ? std::optional<int>(i) : std::nullopt;
}

// A sort key read as a number: "." or "," as separator, blanks around allowed; no logging, as
// a key that is no number is an ordinary case here.
std::optional<double> Zahl(const QString& Text) {
  std::string s;
  for (const QChar c : Text.trimmed()) {
    if (c.unicode() > 127) return std::nullopt;
    s += char(c.unicode());
  }
  if (s.find('.') == std::string::npos) {
    const auto k = s.find(',');
    if (k != std::string::npos) s[k] = '.';
  }
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  if (s.empty()) return std::nullopt;
  double w = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), w, std::chars_format::fixed | std::chars_format::scientific);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(w)) return std::nullopt;
  return w;
}

struct TSchluessel {
  std::optional<double> Wert;  // numeric sort: the number, none for a text that is no number
  QString Text;
};

// Numbers ascending, then texts that are no number, among themselves by code units.
bool Kleiner(const TSchluessel& a, const TSchluessel& b, bool Wert) {
  if (!Wert) return a.Text < b.Text;
  if (a.Wert && b.Wert) return *a.Wert < *b.Wert;
  if (a.Wert != b.Wert) return a.Wert.has_value();
  return a.Text < b.Text;
}

// A cell as one field of a grid file line.
QString Feld(QString Text) {
  for (QChar& c : Text)
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  return Text;
}

}  // namespace

TStringGridQV::TStringGridQV(QWidget* parent) : QTableWidget(parent) {
  ColCountSetzen(5);
  RowCountSetzen(5);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setShowGrid(true);
  // Tab leaves the grid, as the maker's grid without its Tab option does; arrows walk the cells.
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setSectionsClickable(false);
  setItemDelegate(new TBildDelegate(*this));
  FixedColsSetzen(1);  // the maker's grid starts with one fixed column and one fixed row
  AktivfarbeSetzen(*this);
}

void TStringGridQV::RowCountSetzen(int Anzahl) {
  Anzahl = std::max(Anzahl, 1);
  const int alt = RowCount();
  setRowCount(Anzahl - 1);
  DatenPointer.resize(Anzahl, nullptr);
  for (int r = alt; r < Anzahl; ++r) ZeileLeeren(r);
}

void TStringGridQV::ColCountSetzen(int Anzahl) {
  setColumnCount(std::max(Anzahl, 0));
  FFixedCols = std::min(FFixedCols, columnCount());
  // An empty header cell shows nothing, not the column number Qt puts there without an item.
  for (int c = 0; c < columnCount(); ++c)
    if (!horizontalHeaderItem(c)) setHorizontalHeaderItem(c, new QTableWidgetItem());
}

void TStringGridQV::FixedColsSetzen(int Anzahl) {
  FFixedCols = std::clamp(Anzahl, 0, columnCount());
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (QTableWidgetItem* z = item(r, c)) ZellenFlaggen(*z, c);
  viewport()->update();
}

void TStringGridQV::ZellenFlaggen(QTableWidgetItem& Zelle, int Spalte) const {
  if (Spalte < FFixedCols) {
    Zelle.setFlags(Qt::ItemIsEnabled);
    Zelle.setBackground(palette().brush(QPalette::Button));
  } else {
    Zelle.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    Zelle.setBackground(QBrush());
  }
}

int TStringGridQV::Row() const {
  const int r = currentRow();
  return r >= 0 ? r + 1 : 1;
}

void TStringGridQV::RowSetzen(int Zeile) {
  if (!ZeileGueltig(Zeile)) return;
  setCurrentCell(Zeile - 1, std::max(currentColumn(), std::min(FFixedCols, columnCount() - 1)));
}

QString TStringGridQV::Cells(int Spalte, int Zeile) const {
  if (Spalte < 0 || Spalte >= columnCount() || Zeile < 0 || Zeile >= RowCount()) return {};
  const QTableWidgetItem* z = Zeile == 0 ? horizontalHeaderItem(Spalte) : item(Zeile - 1, Spalte);
  return z ? z->text() : QString();
}

void TStringGridQV::CellsSetzen(int Spalte, int Zeile, const QString& Text) {
  if (Spalte < 0 || Spalte >= columnCount() || Zeile < 0 || Zeile >= RowCount()) return;
  if (Zeile == 0) {
    if (QTableWidgetItem* z = horizontalHeaderItem(Spalte))
      z->setText(Text);
    else
      setHorizontalHeaderItem(Spalte, new QTableWidgetItem(Text));
    return;
  }
  if (QTableWidgetItem* z = item(Zeile - 1, Spalte)) {
    z->setText(Text);
    return;
  }
  if (Text.isEmpty()) return;
  auto* z = new QTableWidgetItem(Text);
  ZellenFlaggen(*z, Spalte);
  setItem(Zeile - 1, Spalte, z);
}

void TStringGridQV::ImageSpalteSetzen(int Spalte) {
  FImageSpalte = Spalte;
  viewport()->update();
}

void TStringGridQV::ImageCollectionSetzen(TImageCollection* Sammlung) {
  FImageCollection = Sammlung;
  viewport()->update();
}

QPixmap TStringGridQV::ZellenBild(const QString& Text, int Kante) const {
  if (!FImageCollection || Kante <= 0) return {};
  const QStringList& namen = FImageCollection->Namen();
  auto bild = [&](int i) {
    return i >= 0 && i < namen.size() ? FImageCollection->Pixmap(namen[i], Kante, Kante) : QPixmap();
  };
  const int index = GanzeZahl(Text).value_or(-1);
  if (index < 0) return {};
  QPixmap p = bild(index);
  // An index beyond the collection falls back to its first digit (12 in ten images shows 1).
  if (p.isNull() && !Text.isEmpty() && Text[0].isDigit() && Text[0].unicode() < 128) p = bild(Text[0].unicode() - u'0');
  return p;
}

int TStringGridQV::ZeileEinfuegen(int Zeile) {
  if (Zeile == -2) Zeile = RowCount();
  Zeile = Aufloesen(Zeile);
  if (Zeile < 1 || Zeile > RowCount()) return -1;
  RowCountSetzen(RowCount() + 1);
  for (int r = RowCount() - 1; r > Zeile; --r) {
    for (int c = FFixedCols; c < columnCount(); ++c) CellsSetzen(c, r, Cells(c, r - 1));
    DatenPointer[r] = DatenPointer[r - 1];
  }
  ZeileLeeren(Zeile);
  return Zeile;
}

bool TStringGridQV::ZeileLoeschen(int Zeile) {
  Zeile = Aufloesen(Zeile);
  if (!ZeileGueltig(Zeile)) return false;
  for (int r = Zeile; r < RowCount() - 1; ++r) {
    for (int c = FFixedCols; c < columnCount(); ++c) CellsSetzen(c, r, Cells(c, r + 1));
    DatenPointer[r] = DatenPointer[r + 1];
  }
  if (RowCount() > 2) {
    RowCountSetzen(RowCount() - 1);
    return true;
  }
  ZeileLeeren(1);
  return false;
}

void TStringGridQV::ZeileLeeren(int Zeile) {
  Zeile = Aufloesen(Zeile);
  if (!ZeileGueltig(Zeile)) return;
  for (int c = FFixedCols; c < columnCount(); ++c) CellsSetzen(c, Zeile, QString());
  if (Zeile < DatenPointer.size()) DatenPointer[Zeile] = nullptr;
}

void TStringGridQV::ZeilenTauschen(int a, int b) {
  for (int c = 0; c < columnCount(); ++c) {
    const QString t = Cells(c, a);
    CellsSetzen(c, a, Cells(c, b));
    CellsSetzen(c, b, t);
  }
  std::swap(DatenPointer[a], DatenPointer[b]);
}

void TStringGridQV::NachOben(int Zeile) {
  Zeile = Aufloesen(Zeile);
  if (Zeile <= 1 || !ZeileGueltig(Zeile)) return;
  ZeilenTauschen(Zeile, Zeile - 1);
  RowSetzen(Row() - 1);
}

void TStringGridQV::NachUnten(int Zeile) {
  Zeile = Aufloesen(Zeile);
  if (!ZeileGueltig(Zeile) || Zeile >= RowCount() - 1) return;
  ZeilenTauschen(Zeile, Zeile + 1);
  RowSetzen(Row() + 1);
}

void TStringGridQV::Sortieren(int Spalte, bool Wert) {
  if (Spalte < 0 || Spalte >= columnCount()) return;
  auto schluessel = [&](int r) {
    const QString t = Cells(Spalte, r);
    // An empty key counts as 0 at its own position.
    return TSchluessel{t.isEmpty() ? std::optional<double>(0.0) : Zahl(t), t};
  };
  for (int p = 1; p < RowCount(); ++p) {
    int minZeile = p;
    TSchluessel min = schluessel(p);
    for (int r = p; r < RowCount(); ++r) {
      if (Cells(Spalte, r).isEmpty()) continue;
      TSchluessel k = schluessel(r);
      if (Kleiner(k, min, Wert)) {
        minZeile = r;
        min = std::move(k);
      }
    }
    if (minZeile != p) ZeilenTauschen(p, minZeile);
  }
}

QString TStringGridQV::ZeileTab(int i) const {
  if (i < 0 || i >= RowCount()) return {};
  QStringList zellen;
  for (int c = 0; c < columnCount(); ++c) zellen.append(Cells(c, i));
  return zellen.join(u'\t');
}

void TStringGridQV::TabelleTab(QStringList& ss) const {
  for (int r = 0; r < RowCount(); ++r) ss.append(ZeileTab(r));
}

bool TStringGridQV::SaveToFile(const QString& Datei) { return SpeichernAb(1, FFixedCols, Datei); }
bool TStringGridQV::SaveToFileMitFixed(const QString& Datei) { return SpeichernAb(0, 0, Datei); }
bool TStringGridQV::LoadFromFile(const QString& Datei) { return LadenAb(1, FFixedCols, Datei); }
bool TStringGridQV::LoadFromFileMitFixed(const QString& Datei) { return LadenAb(0, 0, Datei); }

bool TStringGridQV::SpeichernAb(int ErsteZeile, int ErsteSpalte, const QString& Datei) {
  QString text;
  for (int r = ErsteZeile; r < RowCount(); ++r) {
    QStringList zellen;
    for (int c = ErsteSpalte; c < columnCount(); ++c) zellen.append(Feld(Cells(c, r)));
    text += zellen.join(u'\t') + QStringLiteral("\r\n");
  }
  const QByteArray inhalt = TextVerschluesseln(text);
  QString fehler;
  if (DateiErsetzen(Datei, inhalt, &fehler)) return true;
  Protokollieren(fehler, QStringLiteral("Tabelle \"%1\" konnte nicht gespeichert werden").arg(Datei), 2);
  return false;
}

bool TStringGridQV::LadenAb(int ErsteZeile, int ErsteSpalte, const QString& Datei) {
  QString text;
  QString fehler;
  if (!TextdateiLesen(Datei, text, &fehler)) {
    Protokollieren(fehler, QStringLiteral("Tabelle \"%1\" konnte nicht geladen werden").arg(Datei), 2);
    return false;
  }
  const QStringList zeilen = TextZeilen(text);
  RowCountSetzen(2);
  ZeileLeeren(1);
  int r = ErsteZeile;
  for (const QString& zeile : zeilen) {
    RowCountSetzen(std::max(RowCount(), r + 1));
    const QStringList zellen = zeile.split(u'\t');
    const int bis = ErsteSpalte + int(zellen.size());
    if (bis > columnCount()) ColCountSetzen(bis);
    for (int i = 0; i < zellen.size(); ++i) CellsSetzen(ErsteSpalte + i, r, zellen[i]);
    ++r;
  }
  RowCountSetzen(std::max(r, 2));
  return true;
}

void TStringGridQV::changeEvent(QEvent* event) {
  QTableWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) AktivfarbeSetzen(*this);
}

}  // namespace kiro
