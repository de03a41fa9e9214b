#pragma once
// A single-line edit with a caption label above it that reads and writes its text as a typed
// value. Windows and the header dialogs keep values in program units (radians, m/s, unscaled
// numbers); the edit shows the user's units (degrees, km/h, values divided by FloatFaktor).
//
// Numbers are shown with the locale's decimal separator and no group separators; every read
// accepts "." and ",", so what the edit shows reads back under any locale. Text that is no
// number reads as 0 with one log line of type 2; nothing here throws.
#include <QLineEdit>
#include <QPointer>

#include <cstdint>

class QLabel;

namespace kiro {

class TLabeledEditQV : public QLineEdit {
  Q_OBJECT
  // The window translation reaches the caption through this property.
  Q_PROPERTY(QObject* EditLabel READ EditLabelObjekt CONSTANT)
  Q_PROPERTY(float FloatFaktor READ FloatFaktor WRITE FloatFaktorSetzen)

 public:
  explicit TLabeledEditQV(QWidget* parent = nullptr);
  ~TLabeledEditQV() override;

  // The caption, a sibling placed just above the edit (3 pixels apart); it follows the edit's
  // parent, position, visibility and Enabled.
  QLabel* EditLabel() const;

  // Scale between the value the program holds and the number shown (shown = value / factor).
  // 1 by default. 0 and non-finite factors are refused with a log line; the old one stays.
  float FloatFaktor() const { return FFaktor; }
  bool FloatFaktorSetzen(float Faktor);

  // Reads: an empty edit gives 0 everywhere.
  std::int32_t LeseAlsInteger() const;
  std::int64_t LeseAlsInteger64() const;
  float LeseAlsGrad() const;         // shown degrees as radians
  double LeseAlsFloat() const;       // shown number times FloatFaktor
  double LeseAlsGeschw() const;      // shown km/h as m/s; 0 and negative values unchanged
  std::uint32_t LeseAlsD3DColor() const;  // hexadecimal digits without prefix

  // Writes: each replaces the text.
  void SetzeAlsInteger(std::int32_t i);
  void SetzeAlsInteger64(std::int64_t i);
  void SetzeAlsGrad(double Radiant);  // 4 decimals, 10 significant digits
  void SetzeAlsFloat(double f);       // f / FloatFaktor, 4 decimals, 10 significant digits
  void SetzeAlsFloat(double f, int Ziffern);  // f / FloatFaktor with Ziffern decimals
  void SetzeAlsGeschw(double MeterProSekunde);  // whole km/h; a negative value as itself
  void SetzeAlsD3DColor(std::uint32_t Farbe);   // upper-case hexadecimal, no leading zeros

 protected:
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QObject* EditLabelObjekt() const;
  void BeschriftungPlatzieren();

  QPointer<QLabel> FEditLabel;
  float FFaktor = 1.0f;
};

// Numbers as the components show them to people: the locale's decimal separator ("." when the
// locale's is neither "." nor ",", so the text still reads back), no group separators.
// Fixed Nachkomma decimals; with Praezision > 0 the value is first cut to that many significant
// digits, and a value with more digits before the point is shown in exponent form ("1,5E11").
QString ZahlAnzeigen(double Wert, int Nachkomma, int Praezision = 0);

}  // namespace kiro
