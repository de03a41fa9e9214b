#include "components/Aktivfarbe.h"
#include "components/ComboBoxQV.h"
#include "components/LabeledEditQV.h"
#include "testsupport/Gebietsschema.h"
#include "testsupport/Protokollfaenger.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace kiro;
using kiro::test::TGebietsschema;

namespace {

struct TFall {
  const char* name;
  float faktor;
  std::function<void(TLabeledEditQV&)> schreiben;
  const char* punkt;  // shown under a point locale; under a comma locale "." reads ","
  std::function<double(const TLabeledEditQV&)> lesen;
  double zurueck;
};

class LabeledEditQVLocale : public ::testing::TestWithParam<QLocale::Language> {};

TEST_P(LabeledEditQVLocale, WhatIsShownReadsBack) {
  TGebietsschema schema(GetParam() == QLocale::German ? QLocale(QLocale::German, QLocale::Germany)
                                                       : QLocale(QLocale::English, QLocale::UnitedStates));
  const bool komma = GetParam() == QLocale::German;
  auto alsFloat = [](const TLabeledEditQV& e) { return e.LeseAlsFloat(); };
  const TFall faelle[] = {
      {"factor 1000", 1000, [](auto& e) { e.SetzeAlsFloat(1500); }, "1.5000", alsFloat, 1500},
      {"no group separators", 1, [](auto& e) { e.SetzeAlsFloat(1234567.25); }, "1234567.2500", alsFloat, 1234567.25},
      {"ten significant digits", 1, [](auto& e) { e.SetzeAlsFloat(123456.789012); }, "123456.7890", alsFloat,
       123456.789},
      {"exponent beyond ten digits", 1, [](auto& e) { e.SetzeAlsFloat(1.5e11); }, "1.5E11", alsFloat, 1.5e11},
      {"negative tiny is zero", 1, [](auto& e) { e.SetzeAlsFloat(-0.00001); }, "0.0000", alsFloat, 0},
      {"digits form", 1, [](auto& e) { e.SetzeAlsFloat(2, 3); }, "2.000", alsFloat, 2},
      {"digits form scaled", 10, [](auto& e) { e.SetzeAlsFloat(-5, 1); }, "-0.5", alsFloat, -5},
      {"degrees", 1, [](auto& e) { e.SetzeAlsGrad(std::numbers::pi); }, "180.0000",
       [](const auto& e) { return double(e.LeseAlsGrad()); }, double(float(std::numbers::pi))},
      {"speed", 1, [](auto& e) { e.SetzeAlsGeschw(10); }, "36", [](const auto& e) { return e.LeseAlsGeschw(); }, 10},
      {"negative speed", 1, [](auto& e) { e.SetzeAlsGeschw(-1); }, "-1",
       [](const auto& e) { return e.LeseAlsGeschw(); }, -1},
      {"colour", 1, [](auto& e) { e.SetzeAlsD3DColor(0xFF102030u); }, "FF102030",
       [](const auto& e) { return double(e.LeseAlsD3DColor()); }, double(0xFF102030u)},
      {"small colour", 1, [](auto& e) { e.SetzeAlsD3DColor(255); }, "FF",
       [](const auto& e) { return double(e.LeseAlsD3DColor()); }, 255},
      {"integer", 1, [](auto& e) { e.SetzeAlsInteger(-2147483647 - 1); }, "-2147483648",
       [](const auto& e) { return double(e.LeseAlsInteger()); }, -2147483648.0},
      {"integer64", 1, [](auto& e) { e.SetzeAlsInteger64(9007199254740993LL); }, "9007199254740993",
       [](const auto& e) { return double(e.LeseAlsInteger64() - 9007199254740000LL); }, 993},
  };
  test::TProtokollFaenger protokoll;
  for (const TFall& f : faelle) {
    SCOPED_TRACE(f.name);
    TLabeledEditQV e;
    ASSERT_TRUE(e.FloatFaktorSetzen(f.faktor));
    f.schreiben(e);
    QString erwartet = QString::fromLatin1(f.punkt);
    if (komma) erwartet.replace(u'.', u',');
    EXPECT_EQ(e.text(), erwartet);
    EXPECT_NEAR(f.lesen(e), f.zurueck, std::abs(f.zurueck) * 1e-9);
  }
  EXPECT_EQ(protokoll.Zeilen(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(PointAndComma, LabeledEditQVLocale, ::testing::Values(QLocale::C, QLocale::German));

TEST(LabeledEditQV, ReadsTypedTextLikeTheUserWroteIt) {
  TLabeledEditQV e;
  e.setText("90");
  EXPECT_EQ(e.LeseAlsGrad(), float(std::numbers::pi / 2));
  e.setText("36");
  EXPECT_DOUBLE_EQ(e.LeseAlsGeschw(), 10);
  e.setText("ff");
  EXPECT_EQ(e.LeseAlsD3DColor(), 255u);
  e.setText("1,5");
  e.FloatFaktorSetzen(1000);
  EXPECT_DOUBLE_EQ(e.LeseAlsFloat(), 1500);

  test::TProtokollFaenger protokoll;
  e.setText("");
  EXPECT_EQ(e.LeseAlsInteger(), 0);
  EXPECT_EQ(e.LeseAlsInteger64(), 0);
  EXPECT_EQ(e.LeseAlsGrad(), 0.0f);
  EXPECT_EQ(e.LeseAlsFloat(), 0.0);
  EXPECT_EQ(e.LeseAlsGeschw(), 0.0);
  EXPECT_EQ(e.LeseAlsD3DColor(), 0u);
  EXPECT_EQ(protokoll.Zeilen(), QStringList());

  e.setText("abc");
  EXPECT_EQ(e.LeseAlsFloat(), 0.0);
  const QStringList zeilen = protokoll.Zeilen();
  ASSERT_EQ(zeilen.size(), 1);
  EXPECT_TRUE(zeilen[0].startsWith("2 ")) << zeilen[0].toStdString();
}

TEST(LabeledEditQV, RefusesAFactorItWouldDivideBy) {
  TLabeledEditQV e;
  e.setObjectName("LabeledEditMasse");
  ASSERT_TRUE(e.FloatFaktorSetzen(1000));
  test::TProtokollFaenger protokoll;
  for (const float f : {0.0f, -0.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_FALSE(e.FloatFaktorSetzen(f));
    e.setProperty("FloatFaktor", f);  // the way a window description sets it
  }
  EXPECT_EQ(e.FloatFaktor(), 1000.0f);
  const QStringList zeilen = protokoll.Zeilen();
  ASSERT_EQ(zeilen.size(), 8);
  EXPECT_TRUE(zeilen[0].startsWith("2 ") && zeilen[0].contains("LabeledEditMasse")) << zeilen[0].toStdString();
  e.SetzeAlsFloat(2500);
  EXPECT_EQ(e.text(), "2.5000");
}

TEST(LabeledEditQV, CaptionIsTheEditLabelAndFollowsTheEdit) {
  QWidget fenster;
  auto* e = new TLabeledEditQV(&fenster);
  e->EditLabel()->setText("Autor");
  e->move(20, 50);
  fenster.show();
  QObject* beschriftung = e->property("EditLabel").value<QObject*>();
  ASSERT_EQ(beschriftung, e->EditLabel());
  EXPECT_EQ(e->EditLabel()->parentWidget(), &fenster);
  EXPECT_TRUE(e->EditLabel()->isVisible());
  EXPECT_EQ(e->EditLabel()->x(), 20);
  EXPECT_GE(e->EditLabel()->width(), e->width());
  EXPECT_EQ(e->EditLabel()->geometry().bottom() + 1 + 3, 50);

  e->hide();
  EXPECT_FALSE(e->EditLabel()->isVisible());
  delete e;  // the caption goes with its edit
  EXPECT_TRUE(fenster.findChildren<QLabel*>().isEmpty());
}

TEST(EnabledColours, DisabledShowsTheButtonFaceEnabledTheWindowColour) {
  QWidget fenster;
  auto* e = new TLabeledEditQV(&fenster);
  auto* c = new TComboBoxQV(&fenster);
  fenster.show();
  for (QWidget* w : {static_cast<QWidget*>(e), static_cast<QWidget*>(c)}) {
    SCOPED_TRACE(w->metaObject()->className());
    QPalette p = w->palette();
    p.setColor(QPalette::Base, Qt::magenta);
    w->setPalette(p);
    w->setEnabled(false);
    EXPECT_EQ(w->palette().color(QPalette::Disabled, QPalette::Base), KnopfFarbe());
    w->setEnabled(true);
    EXPECT_EQ(w->palette().color(QPalette::Active, QPalette::Base), FensterFarbe());
  }
  e->setEnabled(false);
  EXPECT_FALSE(e->EditLabel()->isEnabled());
  e->setEnabled(true);
  EXPECT_TRUE(e->EditLabel()->isEnabled());
}

// Rows the open list shows without scrolling.
int SichtbareZeilen(TComboBoxQV& c) {
  c.showPopup();
  QAbstractItemView* v = c.view();
  const int unten = v->indexAt(QPoint(2, v->viewport()->height() - 1)).row();
  const int oben = v->indexAt(QPoint(2, 0)).row();
  c.hidePopup();
  return unten - oben + 1;
}

TEST(ComboBoxQV, ListShowsTwentyRowsWhetherEditableOrNot) {
  for (const bool editierbar : {false, true}) {
    SCOPED_TRACE(editierbar);
    QWidget fenster;
    auto* c = new TComboBoxQV(&fenster);
    c->setEditable(editierbar);
    for (int i = 0; i < 40; ++i) c->addItem(QStringLiteral("Laufwerk %1").arg(i));
    fenster.resize(300, 100);
    fenster.show();
    EXPECT_EQ(c->maxVisibleItems(), 20);
    EXPECT_EQ(SichtbareZeilen(*c), 20);
  }
}

}  // namespace
