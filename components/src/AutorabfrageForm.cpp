#include "components/AutorabfrageForm.h"

#include "components/ComboBoxQV.h"
#include "components/LabeledEditQV.h"
#include "foundation/Einstellungen.h"
#include "foundation/Uebersetzen.h"

#include <QIntValidator>
#include <QLabel>
#include <QPushButton>

namespace kiro {

namespace {
constexpr int kRand = 16;
constexpr int kBreite = 420;
constexpr int kZeile = 46;  // one edit and the caption above it
}  // namespace

const QStringList& TFormAutorabfrage::Lizenztexte() {
  static const QStringList texte = {
      QStringLiteral("Standard-Lizenz (Add-On-Pool, Einnahmen an Autor)"),
      QStringLiteral("Add-On-Pool, Einnahmen in den Add-On-Pool"),
      QStringLiteral("Add-On-Pool, Einnahmen an Ostwerk Software"),
      QStringLiteral("Add-On-Pool, keine Bewertungspunkte, Freigabe für jede Nutzung"),
      QStringLiteral("Private Datei, keine Verteilung vorgesehen"),
      QStringLiteral("Kommerzielle Sondernutzung"),
  };
  return texte;
}

TFormAutorabfrage::TFormAutorabfrage(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormAutorabfrage"));
  setWindowTitle(QStringLiteral("Autorenabfrage"));
  QFont schrift = font();
  schrift.setFamily(QStringLiteral("Tahoma"));
  setFont(schrift);

  int y = kRand + 18;
  auto edit = [&](const char* name, const char* beschriftung) {
    auto* e = new TLabeledEditQV(this);
    e->setObjectName(QLatin1String(name));
    e->EditLabel()->setText(QString::fromUtf8(beschriftung));
    e->setGeometry(kRand, y, kBreite, 22);
    y += kZeile;
    return e;
  };
  LabeledEditQVAutorID = edit("LabeledEditQVAutorID", "Autor-ID");
  LabeledEditQVAutor = edit("LabeledEditQVAutor", "Autor-Name");
  LabeledEditQVemail = edit("LabeledEditQVemail", "E-Mail");
  LabeledEditQVBewertungspunkte = edit("LabeledEditQVBewertungspunkte", "Bewertungspunkte");
  LabeledEditQVBewertungspunkte->setEnabled(false);
  LabeledEditQVAufwandspunkteStunden = edit("LabeledEditQVAufwandspunkteStunden", "Eigener Arbeitsaufwand [h]");
  LabeledEditQVBemerkung = edit("LabeledEditQVBemerkung", "Bemerkung");
  // A number only: text that is no whole number would silently become ID 0.
  LabeledEditQVAutorID->setValidator(new QIntValidator(LabeledEditQVAutorID));

  LabelLizenz = new QLabel(QStringLiteral("Lizenz"), this);
  LabelLizenz->setObjectName(QStringLiteral("LabelLizenz"));
  ComboBoxQVLizenz = new TComboBoxQV(this);
  ComboBoxQVLizenz->setObjectName(QStringLiteral("ComboBoxQVLizenz"));
  ComboBoxQVLizenz->addItems(Lizenztexte());
  ComboBoxQVLizenz->setCurrentIndex(-1);
  const int hoehe = LabelLizenz->sizeHint().height();
  LabelLizenz->setGeometry(kRand, y - hoehe - 3, kBreite, hoehe);
  ComboBoxQVLizenz->setGeometry(kRand, y, kBreite, 24);
  y += 24 + 20;

  ButtonAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  ButtonAbbrechen->setObjectName(QStringLiteral("ButtonAbbrechen"));
  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  ButtonAbbrechen->setGeometry(kRand + kBreite - 2 * 90 - 8, y, 90, 26);
  ButtonOK->setGeometry(kRand + kBreite - 90, y, 90, 26);
  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(kBreite + 2 * kRand, y + 26 + kRand);

  setTabOrder(LabeledEditQVAutorID, LabeledEditQVAutor);
  setTabOrder(LabeledEditQVAutor, LabeledEditQVemail);
  setTabOrder(LabeledEditQVemail, LabeledEditQVAufwandspunkteStunden);
  setTabOrder(LabeledEditQVAufwandspunkteStunden, LabeledEditQVBemerkung);
  setTabOrder(LabeledEditQVBemerkung, ComboBoxQVLizenz);
  setTabOrder(ComboBoxQVLizenz, ButtonAbbrechen);
  setTabOrder(ButtonAbbrechen, ButtonOK);

  connect(ComboBoxQVLizenz, &QComboBox::currentIndexChanged, this, [this] { OKPruefen(); });
  connect(LabeledEditQVAutorID, &QLineEdit::textChanged, this, [this] { OKPruefen(); });
  FormCreate();
  OKPruefen();
}

void TFormAutorabfrage::FormCreate() {
  FormularUebersetzen(this);
  // Otherwise a screen reader announces the chosen licence as the combo's name.
  NachBeschriftungBenennen(ComboBoxQVLizenz, LabelLizenz);
  if (!Einstellungen) return;
  LabeledEditQVAutorID->SetzeAlsInteger(Einstellungen->AutorID);
  LabeledEditQVAutor->setText(Einstellungen->AutorName);
  LabeledEditQVemail->setText(Einstellungen->AutorEMail);
  LabeledEditQVBewertungspunkte->SetzeAlsFloat(0);
  LabeledEditQVBemerkung->clear();
}

void TFormAutorabfrage::OKPruefen() {
  const bool lizenz = ComboBoxQVLizenz->currentIndex() >= 0 || FLizenzUnbekannt.has_value();
  const bool id = LabeledEditQVAutorID->text().isEmpty() || LabeledEditQVAutorID->hasAcceptableInput();
  ButtonOK->setEnabled(lizenz && id);
}

void TFormAutorabfrage::SetAutor(const TAutor& Autor) {
  LabeledEditQVAutorID->SetzeAlsInteger(Autor.AutorID);
  LabeledEditQVAutor->setText(Autor.Name);
  LabeledEditQVemail->setText(Autor.eMail);
  LabeledEditQVBewertungspunkte->SetzeAlsFloat(Autor.AufwandAlt);
  LabeledEditQVAufwandspunkteStunden->SetzeAlsFloat(Autor.AufwandStunden);
  LabeledEditQVBemerkung->setText(Autor.Bemerkung);
  FAufwandAlt = Autor.AufwandAlt;
  FAufwandPunkte = Autor.AufwandPunkte;
  const int code = Autor.Lizenz;
  if (code < ComboBoxQVLizenz->count()) {
    FLizenzUnbekannt.reset();
    ComboBoxQVLizenz->setCurrentIndex(code);
  } else {
    FLizenzUnbekannt = Autor.Lizenz;
    ComboBoxQVLizenz->setCurrentIndex(-1);
  }
  OKPruefen();
}

TAutor TFormAutorabfrage::GetAutor() const {
  TAutor a;
  a.AutorID = LabeledEditQVAutorID->LeseAlsInteger();
  a.Name = LabeledEditQVAutor->text();
  a.eMail = LabeledEditQVemail->text();
  a.AufwandStunden = static_cast<float>(LabeledEditQVAufwandspunkteStunden->LeseAlsFloat());
  a.Bemerkung = LabeledEditQVBemerkung->text();
  const int position = ComboBoxQVLizenz->currentIndex();
  if (position >= 0)
    a.Lizenz = static_cast<TLizenz>(position);
  else if (FLizenzUnbekannt)
    a.Lizenz = static_cast<TLizenz>(*FLizenzUnbekannt);
  a.AufwandAlt = FAufwandAlt;
  a.AufwandPunkte = FAufwandPunkte;
  return a;
}

}  // namespace kiro
