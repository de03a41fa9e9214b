#include "foundation/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kiro {

TRadioGroup::TRadioGroup(QWidget* Eltern) : TRadioGroup(QString(), Eltern) {}

TRadioGroup::TRadioGroup(const QString& Titel, QWidget* Eltern)
    : QGroupBox(Titel, Eltern), FGruppe(new QButtonGroup(this)), FLayout(new QVBoxLayout(this)) {
  connect(FGruppe, &QButtonGroup::idToggled, this, [this](int Id, bool An) {
    if (An) emit ItemIndexChanged(Id);
  });
}

QStringList TRadioGroup::Items() const {
  QStringList r;
  for (const QRadioButton* k : FKnoepfe) r.append(k->text());
  return r;
}

void TRadioGroup::SetItems(const QStringList& Items) {
  const int alt = ItemIndex();
  for (QRadioButton* k : std::as_const(FKnoepfe)) {
    FGruppe->removeButton(k);
    delete k;
  }
  FKnoepfe.clear();
  for (const QString& t : Items) {
    auto* k = new QRadioButton(t, this);
    FGruppe->addButton(k, int(FKnoepfe.size()));
    FLayout->addWidget(k);
    FKnoepfe.append(k);
  }
  SetItemIndex(alt);
}

void TRadioGroup::SetItem(int Index, const QString& Text) {
  if (Index >= 0 && Index < Count()) FKnoepfe[Index]->setText(Text);
}

int TRadioGroup::ItemIndex() const { return FGruppe->checkedId(); }

void TRadioGroup::SetItemIndex(int Index) {
  if (Index >= 0 && Index < Count()) {
    FKnoepfe[Index]->setChecked(true);
  } else if (QAbstractButton* k = FGruppe->checkedButton()) {
    // An exclusive group cannot uncheck its last button directly.
    FGruppe->setExclusive(false);
    k->setChecked(false);
    FGruppe->setExclusive(true);
  }
}

QRadioButton* TRadioGroup::Button(int Index) const {
  return Index >= 0 && Index < Count() ? FKnoepfe[Index] : nullptr;
}

}  // namespace kiro
