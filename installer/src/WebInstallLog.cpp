// The main window's log: lines appended, the last or a remembered line replaced, each in the
// window's language.
#include "installer/WebInstallForm.h"

#include "foundation/Protokoll.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace kiro {

// ---------------------------------------------------------------------------------------------
// The log

std::optional<QString> TFormWebInstall::Zweisprachig(const QString& Deutsch, const QString& Englisch) const {
  if (Sprache == QLatin1String("Deutsch")) return Deutsch;
  if (Sprache == QLatin1String("English")) return Englisch;
  return std::nullopt;
}

namespace {

// Lines carry names from scripts, archives and the server: a control character in them would
// break or cut the line (a NUL ends the text a screen reader gets), so each is shown as "\xNN",
// and a line or paragraph separator as "\uNNNN".
QString SteuerzeichenSichtbar(const QString& Zeile) {
  QString aus;
  for (qsizetype i = 0; i < Zeile.size(); ++i) {
    const char16_t c = Zeile[i].unicode();
    const bool steuer = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    if (!steuer && c != 0x2028 && c != 0x2029) {
      if (!aus.isNull()) aus += QChar(c);
      continue;
    }
    if (aus.isNull()) {
      aus = Zeile.left(i);
      aus.reserve(Zeile.size() + 8);
    }
    aus += steuer ? QStringLiteral("\\x%1").arg(unsigned(c), 2, 16, QChar(u'0'))
                  : QStringLiteral("\\u%1").arg(unsigned(c), 4, 16, QChar(u'0'));
  }
  return aus.isNull() ? Zeile : aus;
}

}  // namespace

TLogZeile TFormWebInstall::LogAnfuegen(const QString& Zeile) {
  RichEditLog->appendPlainText(SteuerzeichenSichtbar(ProtokollzeileKuerzen(Zeile)));
  return TLogZeile{RichEditLog->document()->blockCount() - 1};
}

void TFormWebInstall::LogZeileErsetzen(TLogZeile Zeile, const QString& Text) {
  if (Zeile.Index < 0) return;
  QTextBlock block = RichEditLog->document()->findBlockByNumber(Zeile.Index);
  if (!block.isValid() || RichEditLog->document()->isEmpty()) {
    LogAnfuegen(Text);
    return;
  }
  QTextCursor c(block);
  c.movePosition(QTextCursor::StartOfBlock);
  c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  c.insertText(SteuerzeichenSichtbar(ProtokollzeileKuerzen(Text)));
}

void TFormWebInstall::LogLetzteErsetzen(const QString& Zeile) {
  // On an empty log there is no last line to turn into its result: the text is appended.
  LogZeileErsetzen(TLogZeile{RichEditLog->document()->blockCount() - 1}, Zeile);
}

TLogZeile TFormWebInstall::LogAnfuegen(const QString& Deutsch, const QString& Englisch) {
  const auto text = Zweisprachig(Deutsch, Englisch);
  return text ? LogAnfuegen(*text) : TLogZeile{};
}

void TFormWebInstall::LogLetzteErsetzen(const QString& Deutsch, const QString& Englisch) {
  if (const auto text = Zweisprachig(Deutsch, Englisch)) LogLetzteErsetzen(*text);
}

void TFormWebInstall::LogZeileErsetzen(TLogZeile Zeile, const QString& Deutsch, const QString& Englisch) {
  if (const auto text = Zweisprachig(Deutsch, Englisch)) LogZeileErsetzen(Zeile, *text);
}

QStringList TFormWebInstall::LogZeilen() const {
  if (RichEditLog->document()->isEmpty()) return {};
  return RichEditLog->toPlainText().split(u'\n');
}

}  // namespace kiro
