#pragma once
// A framed group of radio buttons built from a list of item texts, one of them selected.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace kiro {

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit TRadioGroup(QWidget* Eltern = nullptr);
  explicit TRadioGroup(const QString& Titel, QWidget* Eltern = nullptr);

  QStringList Items() const;
  // Rebuilds the buttons; the selection stays when its index still exists.
  void SetItems(const QStringList& Items);
  // Replaces the text of one item in place; the selection is not touched.
  void SetItem(int Index, const QString& Text);
  int Count() const { return int(FKnoepfe.size()); }

  // The selected item, -1 for none.
  int ItemIndex() const;
  void SetItemIndex(int Index);
  QRadioButton* Button(int Index) const;

 signals:
  void ItemIndexChanged(int Index);

 private:
  QButtonGroup* FGruppe;
  QVBoxLayout* FLayout;
  QList<QRadioButton*> FKnoepfe;
};

}  // namespace kiro
