#include "components/RichEditQV.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>

namespace kiro {

TRichEditQV::TRichEditQV(QWidget* parent) : QTextEdit(parent) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  Grundzustand();
  // The host may empty the view (clear, setPlainText); the next line is then the first again.
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (!FSchreibtSelbst && document()->isEmpty()) FHatZeilen = false;
  });
}

void TRichEditQV::Grundzustand() {
  FFormat = QTextCharFormat();
  FFormat.setFontWeight(QFont::Normal);
  FFormat.setFontItalic(false);
  FFormat.setFontUnderline(false);
  FFormat.setFontStrikeOut(false);
  FFormat.setForeground(palette().color(QPalette::Text));
  FFormat.setFontFamilies({QStringLiteral("Tahoma")});
}

void TRichEditQV::Fehler() {
  FFormat.setFontWeight(QFont::Bold);
  FFormat.setFontItalic(false);
  FFormat.setFontUnderline(false);
  FFormat.setFontStrikeOut(false);
  FFormat.setForeground(QColor(Qt::red));
}

void TRichEditQV::NeuesThema() {
  FFormat.setForeground(QColor(0x80, 0x80, 0x80));
  Zeile(QString(78, u'_'));
  Zeile(QString());
}

void TRichEditQV::Eintrag(const QString& Text) {
  Zeile(Text);
  Grundzustand();
}

void TRichEditQV::Eintrag(const QString& Text, TZeilenFarbe Farbe) {
  Grundzustand();
  switch (Farbe) {
    case TZeilenFarbe::Standard:
      break;
    case TZeilenFarbe::Grau:
      FFormat.setForeground(QColor(0x80, 0x80, 0x80));
      break;
    case TZeilenFarbe::Petrol:
      FFormat.setForeground(QColor(0x00, 0x80, 0x80));
      break;
    case TZeilenFarbe::Fehler:
      Fehler();
      break;
  }
  Eintrag(Text);
}

void TRichEditQV::Zeile(const QString& Text) {
  FSchreibtSelbst = true;
  QTextCursor c(document());
  c.movePosition(QTextCursor::End);
  // The document starts with one empty block: the first line goes into it.
  if (FHatZeilen) c.insertBlock();
  c.setBlockCharFormat(FFormat);
  c.insertText(Text, FFormat);
  FHatZeilen = true;
  FSchreibtSelbst = false;
  ensureCursorVisible();
}

}  // namespace kiro
