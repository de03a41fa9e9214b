#include "components/LabeledEditQV.h"

#include "components/Aktivfarbe.h"
#include "foundation/Konvertierung.h"
#include "foundation/Protokoll.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

namespace kiro {

namespace {

constexpr int kBeschriftungAbstand = 3;  // pixels between caption and edit, as the maker's default

QString Trenner() {
  const QString t = QLocale().decimalPoint();
  return (t == u"," || t == u".") ? t : QStringLiteral(".");
}

std::string Fest(double Wert, int Nachkomma) {
  char puffer[400];
  const auto r = std::to_chars(puffer, puffer + sizeof puffer, Wert, std::chars_format::fixed, Nachkomma);
  return r.ec == std::errc() ? std::string(puffer, r.ptr) : std::string("0");
}

}  // namespace

QString ZahlAnzeigen(double Wert, int Nachkomma, int Praezision) {
  if (std::isnan(Wert)) return QStringLiteral("NAN");
  if (std::isinf(Wert)) return Wert > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  Nachkomma = std::clamp(Nachkomma, 0, 18);
  std::string text;
  if (Praezision > 0 && Wert != 0) {
    // Cut to Praezision significant digits; their exponent decides between the two forms.
    char puffer[64];
    const auto r = std::to_chars(puffer, puffer + sizeof puffer, Wert, std::chars_format::scientific, Praezision - 1);
    const std::string wiss(puffer, r.ptr);
    const auto e = wiss.find('e');
    const int exponent = std::stoi(wiss.substr(e + 1));
    if (exponent + 1 > Praezision) {
      std::string mantisse = wiss.substr(0, e);
      if (mantisse.find('.') != std::string::npos) {
        while (mantisse.back() == '0') mantisse.pop_back();
        if (mantisse.back() == '.') mantisse.pop_back();
      }
      text = mantisse + 'E' + std::to_string(exponent);
    } else {
      text = Fest(std::strtod(wiss.c_str(), nullptr), Nachkomma);
    }
  } else {
    text = Fest(Wert, Nachkomma);
  }
  if (text == "-0" || text.rfind("-0.", 0) == 0) {
    // A value that rounds to zero is shown without a sign.
    if (text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  }
  QString ergebnis = QString::fromLatin1(text.data(), qsizetype(text.size()));
  ergebnis.replace(u'.', Trenner());
  return ergebnis;
}

TLabeledEditQV::TLabeledEditQV(QWidget* parent) : QLineEdit(parent) {
  FEditLabel = new QLabel(parent);
  FEditLabel->setBuddy(this);
  // Qt's default of 32767 characters would cut a longer text that came from a file.
  setMaxLength(std::numeric_limits<int>::max());
  AktivfarbeSetzen(*this);
}

TLabeledEditQV::~TLabeledEditQV() {
  // Owned by the common parent, or by nobody while the edit has none.
  delete FEditLabel.data();
}

QLabel* TLabeledEditQV::EditLabel() const { return FEditLabel.data(); }
QObject* TLabeledEditQV::EditLabelObjekt() const { return FEditLabel.data(); }

bool TLabeledEditQV::FloatFaktorSetzen(float Faktor) {
  if (Faktor == 0.0f || !std::isfinite(Faktor)) {
    Protokollieren(QString(),
                   QStringLiteral("FloatFaktor %1 von \"%2\" abgelehnt, es bleibt %3")
                       .arg(QString::number(double(Faktor)), objectName(), QString::number(double(FFaktor))),
                   2);
    return false;
  }
  FFaktor = Faktor;
  return true;
}

std::int32_t TLabeledEditQV::LeseAlsInteger() const { return StrToIntSicher(text()); }
std::int64_t TLabeledEditQV::LeseAlsInteger64() const { return StrToInt64Sicher(text()); }

float TLabeledEditQV::LeseAlsGrad() const {
  return float(static_cast<long double>(StrToFloatPunkt(text())) / 180.0L * std::numbers::pi_v<long double>);
}

double TLabeledEditQV::LeseAlsFloat() const { return StrToFloatPunkt(text()) * double(FFaktor); }

double TLabeledEditQV::LeseAlsGeschw() const {
  const double v = StrToFloatPunkt(text());
  return v > 0 ? v / 3.6 : v;
}

std::uint32_t TLabeledEditQV::LeseAlsD3DColor() const { return std::uint32_t(HexZuInt(text())); }

void TLabeledEditQV::SetzeAlsInteger(std::int32_t i) { setText(QString::number(i)); }
void TLabeledEditQV::SetzeAlsInteger64(std::int64_t i) { setText(QString::number(i)); }

void TLabeledEditQV::SetzeAlsGrad(double Radiant) {
  setText(ZahlAnzeigen(Radiant / std::numbers::pi * 180.0, 4, 10));
}

void TLabeledEditQV::SetzeAlsFloat(double f) { setText(ZahlAnzeigen(f / double(FFaktor), 4, 10)); }
void TLabeledEditQV::SetzeAlsFloat(double f, int Ziffern) { setText(ZahlAnzeigen(f / double(FFaktor), Ziffern)); }

void TLabeledEditQV::SetzeAlsGeschw(double MeterProSekunde) {
  setText(GeschwindigkeitAlsText(float(MeterProSekunde), true));
}

void TLabeledEditQV::SetzeAlsD3DColor(std::uint32_t Farbe) { setText(QString::number(Farbe, 16).toUpper()); }

void TLabeledEditQV::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    if (FEditLabel) FEditLabel->setEnabled(isEnabled());
    AktivfarbeSetzen(*this);
  }
}

bool TLabeledEditQV::event(QEvent* event) {
  const bool ergebnis = QLineEdit::event(event);
  switch (event->type()) {
    case QEvent::ParentChange:
      if (FEditLabel && FEditLabel->parentWidget() != parentWidget()) {
        const bool sichtbar = !isHidden();
        FEditLabel->setParent(parentWidget());
        FEditLabel->setVisible(sichtbar && parentWidget());
      }
      BeschriftungPlatzieren();
      break;
    case QEvent::Move:
    case QEvent::Resize:
      BeschriftungPlatzieren();
      break;
    case QEvent::ShowToParent:
      if (FEditLabel) FEditLabel->show();
      BeschriftungPlatzieren();
      break;
    case QEvent::HideToParent:
      if (FEditLabel) FEditLabel->hide();
      break;
    default:
      break;
  }
  return ergebnis;
}

void TLabeledEditQV::BeschriftungPlatzieren() {
  if (!FEditLabel) return;
  // As wide as the edit at least, so a caption translated later into a longer text still shows.
  const QSize groesse = FEditLabel->sizeHint();
  FEditLabel->setGeometry(x(), y() - groesse.height() - kBeschriftungAbstand, std::max(groesse.width(), width()),
                          groesse.height());
}

}  // namespace kiro
