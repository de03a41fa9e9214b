#pragma once
// The author dialog: asks for one author of a data file (ID, name, e-mail, own effort in hours,
// remark, licence) and is read and written as a whole record through Autor. The file-information
// dialog opens it empty (preset with the settings' author when there are settings) to add an
// author, and filled to edit one.
//
// The rated values (AufwandAlt, AufwandPunkte) are not edited here; a record set through SetAutor
// gets them back unchanged from GetAutor. OK needs a licence and an ID that is a whole number.
#include "foundation/KiroTypen.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;

namespace kiro {

class TComboBoxQV;
class TLabeledEditQV;

class TFormAutorabfrage : public QDialog {
  Q_OBJECT

 public:
  // The item texts of the licence combo; position = stored TLizenz code.
  static const QStringList& Lizenztexte();

  explicit TFormAutorabfrage(QWidget* parent = nullptr);

  TAutor GetAutor() const;
  void SetAutor(const TAutor& Autor);

  TLabeledEditQV* LabeledEditQVAutorID;
  TLabeledEditQV* LabeledEditQVAutor;
  TLabeledEditQV* LabeledEditQVemail;
  TLabeledEditQV* LabeledEditQVBewertungspunkte;
  TLabeledEditQV* LabeledEditQVAufwandspunkteStunden;
  TLabeledEditQV* LabeledEditQVBemerkung;
  QLabel* LabelLizenz;
  TComboBoxQV* ComboBoxQVLizenz;
  QPushButton* ButtonAbbrechen;
  QPushButton* ButtonOK;

 private:
  void FormCreate();
  void OKPruefen();

  float FAufwandAlt = 0;
  float FAufwandPunkte = 0;
  std::optional<std::uint8_t> FLizenzUnbekannt;  // a stored code no item stands for, kept as it was
};

}  // namespace kiro
