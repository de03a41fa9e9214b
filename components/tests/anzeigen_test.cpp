#include "components/LabelQVLink.h"
#include "components/RichEditQV.h"
#include "components/StatusBarQV.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <functional>

using namespace kiro;

namespace {

struct Zeile {
  QString text;
  bool fett;
  QColor farbe;
};

QList<Zeile> Zeilen(const TRichEditQV& r) {
  QList<Zeile> z;
  for (QTextBlock b = r.document()->firstBlock(); b.isValid(); b = b.next()) {
    QTextCharFormat f = b.charFormat();
    if (b.begin() != b.end()) f = b.begin().fragment().charFormat();
    z.append({b.text(), f.fontWeight() == QFont::Bold, f.foreground().color()});
  }
  return z;
}

TEST(RichEditQV, EachOperationSetsTheFormatOfTheNextLine) {
  TRichEditQV r;
  const QColor text = r.palette().color(QPalette::Text);
  r.Fehler();
  r.Fehler();
  r.Eintrag("kaputt");
  r.Eintrag("normal");
  r.NeuesThema();
  r.Eintrag("grau");
  r.Eintrag("wieder normal");

  const QList<Zeile> z = Zeilen(r);
  ASSERT_EQ(z.size(), 6);
  const QColor grau(0x80, 0x80, 0x80);
  const struct {
    QString text;
    bool fett;
    QColor farbe;
  } erwartet[] = {{"kaputt", true, Qt::red},      {"normal", false, text}, {QString(78, '_'), false, grau},
                  {"", false, grau},              {"grau", false, grau},   {"wieder normal", false, text}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(z[i].text, erwartet[i].text);
    if (!z[i].text.isEmpty()) {
      EXPECT_EQ(z[i].fett, erwartet[i].fett);
      EXPECT_EQ(z[i].farbe, erwartet[i].farbe);
    }
  }
  EXPECT_EQ(r.Einfuegeformat().fontFamilies().toStringList(), QStringList{"Tahoma"});
  EXPECT_TRUE(r.isReadOnly());
}

TEST(RichEditQV, EachColouredLineHasItsOwnColourWhateverWasPending) {
  TRichEditQV r;
  const QColor text = r.palette().color(QPalette::Text);
  IProtokollAnsicht& ansicht = r;
  r.Fehler();  // pending error style: a coloured line ignores it
  ansicht.Eintrag("a -> b", TZeilenFarbe::Grau);
  ansicht.Eintrag("move \"a\" \"b\"", TZeilenFarbe::Petrol);
  ansicht.Eintrag("copy failed a -> b", TZeilenFarbe::Fehler);
  ansicht.Eintrag(" X> a", TZeilenFarbe::Standard);
  r.Eintrag("danach");

  const QList<Zeile> z = Zeilen(r);
  ASSERT_EQ(z.size(), 5);
  const struct {
    bool fett;
    QColor farbe;
  } erwartet[] = {{false, QColor(0x80, 0x80, 0x80)}, {false, QColor(0x00, 0x80, 0x80)}, {true, Qt::red},
                  {false, text},                      {false, text}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(z[i].text.toStdString());
    EXPECT_EQ(z[i].fett, erwartet[i].fett);
    EXPECT_EQ(z[i].farbe, erwartet[i].farbe);
  }
}

TEST(RichEditQV, AfterTheHostClearsItTheNextLineIsTheFirst) {
  const std::function<void(TRichEditQV&)> leeren[] = {[](TRichEditQV& r) { r.clear(); },
                                                       [](TRichEditQV& r) { r.setPlainText(QString()); },
                                                       [](TRichEditQV& r) { r.document()->clear(); }};
  for (const auto& leer : leeren) {
    TRichEditQV r;
    r.Eintrag("alt");
    r.Eintrag("auch alt");
    leer(r);
    r.Eintrag("neu");
    r.Eintrag("zweite");
    EXPECT_EQ(r.toPlainText(), "neu\nzweite");
  }
  // An empty first line is a line all the same.
  TRichEditQV r;
  r.Eintrag("");
  r.Eintrag("danach");
  EXPECT_EQ(r.toPlainText(), "\ndanach");
}

TEST(StatusBarQV, SimpleTextLeavesTheChildrenVisible) {
  TStatusBarQV s;
  auto* balken = new QProgressBar;
  s.addWidget(balken);
  s.show();
  ASSERT_TRUE(balken->isVisible());
  s.SimpleTextSetzen("data/route/a.st3");
  EXPECT_TRUE(balken->isVisible()) << "the progress bar stays while the current file shows";
  EXPECT_EQ(s.SimpleText(), "data/route/a.st3");
  EXPECT_TRUE(s.findChild<QLabel*>() && s.findChild<QLabel*>()->isVisible());
  s.SimpleTextSetzen("");
  EXPECT_EQ(s.SimpleText(), "");
  EXPECT_TRUE(balken->isVisible());
}

TEST(StatusBarQV, HoldsChildrenAndASimpleText) {
  TStatusBarQV s;
  auto* balken = new QProgressBar;
  s.addPermanentWidget(balken);
  EXPECT_EQ(balken->parentWidget(), &s);
  IStatusAnzeige& anzeige = s;
  anzeige.SimpleTextSetzen("data/route/a.st3");
  EXPECT_EQ(s.SimpleText(), "data/route/a.st3");
}

TEST(LabelQVLink, TurnsRedUnderTheMouseAndBackAfterwards) {
  const QColor standard = TLabelQVLink().Schriftfarbe();
  const struct {
    const char* was;
    QColor anfang;
  } faelle[] = {{"blue", Qt::blue}, {"red", Qt::red}, {"default text colour", standard}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.was);
    TLabelQVLink l("www.example.org");
    l.SchriftfarbeSetzen(f.anfang);
    EXPECT_EQ(l.cursor().shape(), Qt::PointingHandCursor);
    QEnterEvent rein(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&l, &rein);
    EXPECT_EQ(l.Schriftfarbe(), QColor(Qt::red));
    QEvent raus(QEvent::Leave);
    QCoreApplication::sendEvent(&l, &raus);
    EXPECT_EQ(l.Schriftfarbe(), f.anfang);
  }
}

}  // namespace
