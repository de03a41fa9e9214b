#include "components/DateiInfoForm.h"

#include "bilder/Bildersammlung.h"
#include "components/AutorabfrageForm.h"
#include "components/DateiDialogQV.h"
#include "components/DialogAnzeigen.h"
#include "components/KategoriewahlForm.h"
#include "components/LabeledEditQV.h"
#include "components/StringGridQV.h"
#include "foundation/Dateitypen.h"
#include "foundation/Konvertierung.h"
#include "foundation/Protokoll.h"
#include "foundation/Textdatei.h"
#include "foundation/Uebersetzen.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace kiro {

namespace {

// Rows 0 to 59 of the file-type table, and through bits 0 and 1 also rows 64 and 65.
constexpr std::int64_t kAlleDateitypen = 0x0FFFFFFFFFFFFFFF;
constexpr int kBildKante = 20;

// A labelled edit in a box that leaves room above it for its caption.
QWidget* MitBeschriftung(TLabeledEditQV* Edit, QWidget* Eltern) {
  auto* kasten = new QWidget(Eltern);
  auto* l = new QVBoxLayout(kasten);
  l->setContentsMargins(0, Edit->EditLabel()->sizeHint().height() + 3, 0, 0);
  l->addWidget(Edit);
  return kasten;
}

TLabeledEditQV* Edit(const char* Name, const char* Beschriftung) {
  auto* e = new TLabeledEditQV;
  e->setObjectName(QLatin1String(Name));
  e->EditLabel()->setText(QString::fromUtf8(Beschriftung));
  return e;
}

QIcon Bild(const char* Name) {
  TImageCollection* s = ImageCollectionKiroGesamt();
  return s ? s->Icon(QLatin1String(Name)) : QIcon();
}

QAction* Aktion(QObject* Eltern, const char* Name, const char* Text, const char* BildName) {
  auto* a = new QAction(QString::fromUtf8(Text), Eltern);
  a->setObjectName(QLatin1String(Name));
  if (BildName) a->setIcon(Bild(BildName));
  return a;
}

QLabel* Beschriftung(QWidget* Eltern, const char* Name, const char* Text) {
  auto* l = new QLabel(QString::fromUtf8(Text), Eltern);
  l->setObjectName(QLatin1String(Name));
  return l;
}

// A date picker that Tab leaves, like the platform's; the arrow keys move between day, month and
// year (Qt's own edit walks its sections with Tab first).
// Qt's edit moves to its next section through the same call when a separator is typed, so only
// a real Tab or Shift+Tab leaves the picker.
class TDatumswahl : public QDateTimeEdit {
 public:
  using QDateTimeEdit::QDateTimeEdit;

 protected:
  bool event(QEvent* Ereignis) override {
    const auto* k = Ereignis->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(Ereignis) : nullptr;
    FTab = k && (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab);
    const bool ergebnis = QDateTimeEdit::event(Ereignis);
    FTab = false;
    return ergebnis;
  }
  bool focusNextPrevChild(bool Vorwaerts) override {
    return FTab ? QWidget::focusNextPrevChild(Vorwaerts) : QDateTimeEdit::focusNextPrevChild(Vorwaerts);
  }

 private:
  bool FTab = false;
};

// Tab and Shift+Tab move on from the description; Ctrl+Tab types a TAB into it.
class TStrgTabEinfuegen : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* Objekt, QEvent* Ereignis) override {
    if (Ereignis->type() == QEvent::KeyPress) {
      const auto* k = static_cast<QKeyEvent*>(Ereignis);
      if (k->key() == Qt::Key_Tab && k->modifiers() == Qt::ControlModifier) {
        static_cast<QPlainTextEdit*>(Objekt)->insertPlainText(QStringLiteral("\t"));
        return true;
      }
    }
    return QObject::eventFilter(Objekt, Ereignis);
  }
};

// Return and F2 on the author list edit the focused author, as a double-click does, instead of
// confirming the whole dialog.
class TAutorTasten : public QObject {
 public:
  TAutorTasten(QObject* Eltern, std::function<void()> Bearbeiten) : QObject(Eltern), FBearbeiten(std::move(Bearbeiten)) {}

 protected:
  bool eventFilter(QObject* Objekt, QEvent* Ereignis) override {
    if (Ereignis->type() == QEvent::KeyPress) {
      const auto* k = static_cast<QKeyEvent*>(Ereignis);
      const bool taste = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_F2;
      if (taste && (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        FBearbeiten();
        return true;
      }
    }
    return QObject::eventFilter(Objekt, Ereignis);
  }

 private:
  std::function<void()> FBearbeiten;
};

QDateTimeEdit* Datumswahl(QWidget* Eltern, const char* Name) {
  auto* d = new TDatumswahl(Eltern);
  d->setObjectName(QLatin1String(Name));
  d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  d->setCalendarPopup(true);
  // Day 0 (1899-12-30) is the value that means no date; the default lower bound is later.
  d->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0)));
  d->setDateTime(TDateTime().AlsQDateTime());
  return d;
}

void KeineAngabeAnwenden(QCheckBox* Box, QLabel* Beschriftung, QDateTimeEdit* Wahl) {
  const bool keine = Box->isChecked();
  Beschriftung->setEnabled(!keine);
  Wahl->setEnabled(!keine);
  if (keine) Wahl->setDateTime(TDateTime().AlsQDateTime());
}

}  // namespace

QString TFormDateiInfo::Autorenzeile(const TAutor& a) {
  // Built piece by piece: the hours carry the locale's decimal separator, which the catalogue's
  // formatter never writes.
  return QStringLiteral("ID: ") + QString::number(a.AutorID) + QStringLiteral("; Stunden: ") +
         ZahlAnzeigen(a.AufwandStunden, 2) + QStringLiteral("; Lizenz:") + QString::number(int(a.Lizenz)) +
         QStringLiteral("; ") + a.Name + QStringLiteral(" (") + a.eMail + QStringLiteral(") ") + a.Bemerkung;
}

TFormDateiInfo::TFormDateiInfo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormDateiInfo"));
  setWindowTitle(QStringLiteral("Datei-Information"));
  setWindowFlags((windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint) &
                 ~Qt::WindowMinimizeButtonHint);
  setSizeGripEnabled(true);
  QFont schrift = font();
  schrift.setFamily(QStringLiteral("Tahoma"));
  setFont(schrift);
  resize(580, 640);

  ActionAutorAnfuegen = Aktion(this, "ActionAutorAnfuegen", "Autor anfügen...", "icon_smiliegrau");
  ActionEmailAutoren = Aktion(this, "ActionEmailAutoren", "E-Mail an Autoren", nullptr);
  ActionEmailAutoren->setEnabled(false);  // no operation behind it
  ActionFarbe = Aktion(this, "ActionFarbe", "...", nullptr);
  ActionFarbe->setProperty("Tag", 1);
  ActionFarbe->setIconText(ActionFarbe->text());  // Qt would strip the dots from a button text
  ActionZeileNeu = Aktion(this, "ActionZeileNeu", "Neue Zeile", "icon_neu");
  ActionZeileLoeschen = Aktion(this, "ActionZeileLoeschen", "Zeile löschen", "icon_loeschen");
  ActionDateiWahl = Aktion(this, "ActionDateiWahl", "Neue Datei auswählen...", "icon_oeffnen");

  LabeledEditQVDateiname = Edit("LabeledEditQVDateiname", "Dateiname");
  LabeledEditQVVersion = Edit("LabeledEditQVVersion", "Dateiformat-Version");
  for (TLabeledEditQV* e : {LabeledEditQVDateiname, LabeledEditQVVersion}) {
    e->setReadOnly(true);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    e->setPalette(p);
  }
  LabeledEditQVVersion->setFixedWidth(130);
  auto* zeileDatei = new QHBoxLayout;
  zeileDatei->addWidget(MitBeschriftung(LabeledEditQVDateiname, this), 1);
  zeileDatei->addWidget(MitBeschriftung(LabeledEditQVVersion, this));

  LabelAutoren = Beschriftung(this, "LabelAutoren", "Autoren");
  ListBoxAutoren = new QListWidget(this);
  ListBoxAutoren->setObjectName(QStringLiteral("ListBoxAutoren"));
  ListBoxAutoren->setMaximumHeight(90);
  ListBoxAutoren->setContextMenuPolicy(Qt::CustomContextMenu);
  SpTBXPopupMenuAutor = new QMenu(this);
  SpTBXPopupMenuAutor->setObjectName(QStringLiteral("SpTBXPopupMenuAutor"));
  SpTBXPopupMenuAutor->addAction(ActionAutorAnfuegen);
  SpTBXPopupMenuAutor->addAction(ActionEmailAutoren);

  LabeledEditQVKategorie = Edit("LabeledEditQVKategorie", "Kategorie");
  BitBtnFarbe = new QToolButton(this);
  BitBtnFarbe->setObjectName(QStringLiteral("BitBtnFarbe"));
  BitBtnFarbe->setDefaultAction(ActionFarbe);
  BitBtnFarbe->setToolButtonStyle(Qt::ToolButtonTextOnly);
  BitBtnFarbe->setProperty("Tag", 1);
  auto* zeileKategorie = new QHBoxLayout;
  zeileKategorie->addWidget(MitBeschriftung(LabeledEditQVKategorie, this), 1);
  zeileKategorie->addWidget(BitBtnFarbe, 0, Qt::AlignBottom);

  LabelEinsatzAb = Beschriftung(this, "LabelEinsatzAb", "Einsetzbar ab");
  DateTimePickerEinsatzAb = Datumswahl(this, "DateTimePickerEinsatzAb");
  CheckBoxEinsatzAbKeineAngabe = new QCheckBox(QStringLiteral("Keine Angabe"), this);
  CheckBoxEinsatzAbKeineAngabe->setObjectName(QStringLiteral("CheckBoxEinsatzAbKeineAngabe"));
  LabelEinsatzBis = Beschriftung(this, "LabelEinsatzBis", "Einsetzbar bis");
  DateTimePickerEinsatzBis = Datumswahl(this, "DateTimePickerEinsatzBis");
  CheckBoxEinsatzbisKeineAngabe = new QCheckBox(QStringLiteral("Keine Angabe"), this);
  CheckBoxEinsatzbisKeineAngabe->setObjectName(QStringLiteral("CheckBoxEinsatzbisKeineAngabe"));
  auto* zeileZeitraum = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{LabelEinsatzAb, DateTimePickerEinsatzAb,
                                                    CheckBoxEinsatzAbKeineAngabe})
    zeileZeitraum->addWidget(w);
  zeileZeitraum->addSpacing(24);
  for (QWidget* w : std::initializer_list<QWidget*>{LabelEinsatzBis, DateTimePickerEinsatzBis,
                                                    CheckBoxEinsatzbisKeineAngabe})
    zeileZeitraum->addWidget(w);
  zeileZeitraum->addStretch();

  LabeledEditQVObjektID = Edit("LabeledEditQVObjektID", "Objekt-ID");
  LabeledEditQVObjektID->setFixedWidth(160);
  LabelBeschreibung = Beschriftung(this, "LabelBeschreibung", "Kurze Beschreibung");
  MemoBeschreibung = new QPlainTextEdit(this);
  MemoBeschreibung->setObjectName(QStringLiteral("MemoBeschreibung"));
  MemoBeschreibung->setMaximumHeight(80);
  MemoBeschreibung->setTabChangesFocus(true);
  MemoBeschreibung->installEventFilter(new TStrgTabEinfuegen(MemoBeschreibung));

  LabelDateien = Beschriftung(this, "LabelDateien", "Dateien, die von dieser Datei benötigt werden");
  StringGridQVDateien = new TStringGridQV(this);
  StringGridQVDateien->setObjectName(QStringLiteral("StringGridQVDateien"));
  StringGridQVDateien->ColCountSetzen(1);
  StringGridQVDateien->FixedColsSetzen(0);
  StringGridQVDateien->RowCountSetzen(2);
  StringGridQVDateien->setColumnWidth(0, 528);
  StringGridQVDateien->horizontalHeader()->setStretchLastSection(true);
  StringGridQVDateien->verticalHeader()->setDefaultSectionSize(20);
  StringGridQVDateien->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGridQVDateien->setContextMenuPolicy(Qt::CustomContextMenu);
  SpTBXPopupMenuDateien = new QMenu(this);
  SpTBXPopupMenuDateien->setObjectName(QStringLiteral("SpTBXPopupMenuDateien"));
  SpTBXPopupMenuDateien->addAction(ActionDateiWahl);
  SpTBXPopupMenuDateien->addAction(ActionZeileNeu);
  SpTBXPopupMenuDateien->addSeparator();
  SpTBXPopupMenuDateien->addAction(ActionZeileLoeschen);

  ButtonAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  ButtonAbbrechen->setObjectName(QStringLiteral("ButtonAbbrechen"));
  ButtonAbbrechen->setAutoDefault(false);
  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  auto* zeileKnoepfe = new QHBoxLayout;
  zeileKnoepfe->addStretch();
  zeileKnoepfe->addWidget(ButtonAbbrechen);
  zeileKnoepfe->addWidget(ButtonOK);

  OpenDialogQVDatei = new TOpenDialogQV(this);
  OpenDialogQVDatei->setObjectName(QStringLiteral("OpenDialogQVDatei"));
  OpenDialogQVDatei->setFileMode(QFileDialog::ExistingFile);
  OpenDialogQVDatei->KiroFilter = kAlleDateitypen;
  OpenDialogQVDatei->KiroFilterStart = Datei_alle;

  auto* senkrecht = new QVBoxLayout(this);
  senkrecht->addLayout(zeileDatei);
  senkrecht->addWidget(LabelAutoren);
  senkrecht->addWidget(ListBoxAutoren);
  senkrecht->addLayout(zeileKategorie);
  senkrecht->addLayout(zeileZeitraum);
  senkrecht->addWidget(MitBeschriftung(LabeledEditQVObjektID, this), 0, Qt::AlignLeft);
  senkrecht->addWidget(LabelBeschreibung);
  senkrecht->addWidget(MemoBeschreibung);
  senkrecht->addWidget(LabelDateien);
  senkrecht->addWidget(StringGridQVDateien, 1);
  senkrecht->addLayout(zeileKnoepfe);

  // Top to bottom, left to right, as the window shows them.
  QWidget* const kette[] = {LabeledEditQVDateiname, LabeledEditQVVersion, ListBoxAutoren, LabeledEditQVKategorie,
                             BitBtnFarbe, DateTimePickerEinsatzAb, CheckBoxEinsatzAbKeineAngabe,
                             DateTimePickerEinsatzBis, CheckBoxEinsatzbisKeineAngabe, LabeledEditQVObjektID,
                             MemoBeschreibung, StringGridQVDateien, ButtonAbbrechen, ButtonOK};
  for (std::size_t i = 1; i < std::size(kette); ++i) setTabOrder(kette[i - 1], kette[i]);

  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
  connect(CheckBoxEinsatzAbKeineAngabe, &QCheckBox::clicked, this, [this] { CheckBoxEinsatzAbKeineAngabeClick(); });
  connect(CheckBoxEinsatzbisKeineAngabe, &QCheckBox::clicked, this, [this] { CheckBoxEinsatzAbKeineAngabeClick(); });
  connect(ListBoxAutoren, &QListWidget::itemDoubleClicked, this, [this] { ListBoxAutorenDblClick(); });
  ListBoxAutoren->installEventFilter(new TAutorTasten(ListBoxAutoren, [this] { ListBoxAutorenDblClick(); }));
  connect(ListBoxAutoren, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { SpTBXPopupMenuAutor->popup(ListBoxAutoren->viewport()->mapToGlobal(p)); });
  connect(StringGridQVDateien, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    SpTBXPopupMenuDateien->popup(StringGridQVDateien->viewport()->mapToGlobal(p));
  });
  connect(ActionAutorAnfuegen, &QAction::triggered, this, [this] { ActionAutorAnfuegenExecute(); });
  connect(ActionFarbe, &QAction::triggered, this, [this] { ActionFarbeExecute(); });
  connect(ActionZeileNeu, &QAction::triggered, this, [this] { ActionZeileNeuExecute(); });
  connect(ActionZeileLoeschen, &QAction::triggered, this, [this] { ActionZeileLoeschenExecute(); });
  connect(ActionDateiWahl, &QAction::triggered, this, [this] { ActionDateiWahlExecute(); });

  FormularUebersetzen(this);
  NachBeschriftungBenennen(ListBoxAutoren, LabelAutoren);
  NachBeschriftungBenennen(DateTimePickerEinsatzAb, LabelEinsatzAb);
  NachBeschriftungBenennen(DateTimePickerEinsatzBis, LabelEinsatzBis);
  NachBeschriftungBenennen(MemoBeschreibung, LabelBeschreibung);
  NachBeschriftungBenennen(StringGridQVDateien, LabelDateien);
  BildknopfBenennen(BitBtnFarbe, QStringLiteral("Kategorie wählen..."));
}

void TFormDateiInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFormDateiInfo::FormShow() {
  AutorenAnzeigen();
  EinsatzzeitraumAktualisieren();
}

void TFormDateiInfo::CheckBoxEinsatzAbKeineAngabeClick() { EinsatzzeitraumAktualisieren(); }

void TFormDateiInfo::AutorenAnzeigen() {
  ListBoxAutoren->clear();
  for (const TAutor& a : std::as_const(Autoren)) ListBoxAutoren->addItem(Autorenzeile(a));
}

void TFormDateiInfo::EinsatzzeitraumAktualisieren() {
  KeineAngabeAnwenden(CheckBoxEinsatzAbKeineAngabe, LabelEinsatzAb, DateTimePickerEinsatzAb);
  KeineAngabeAnwenden(CheckBoxEinsatzbisKeineAngabe, LabelEinsatzBis, DateTimePickerEinsatzBis);
}

void TFormDateiInfo::ListBoxAutorenDblClick() {
  Abgesichert(QStringLiteral("Autor bearbeiten"), [this] {
    const int zeile = ListBoxAutoren->currentRow();
    if (zeile < 0 || zeile >= Autoren.size() || !ListBoxAutoren->currentItem()->isSelected()) {
      QApplication::beep();
      return;
    }
    TFormAutorabfrage dialog(this);
    dialog.SetAutor(Autoren[zeile]);
    if (DialogAnzeigen(dialog) != mrOk) return;
    Autoren[zeile] = dialog.GetAutor();
    AutorenAnzeigen();
    ListBoxAutoren->setCurrentRow(zeile);
  });
}

void TFormDateiInfo::ActionAutorAnfuegenExecute() {
  Abgesichert(QStringLiteral("Autor anfügen"), [this] {
    TFormAutorabfrage dialog(this);
    if (DialogAnzeigen(dialog) != mrOk) return;
    Autoren.append(dialog.GetAutor());
    AutorenAnzeigen();
  });
}

void TFormDateiInfo::ActionFarbeExecute() {
  Abgesichert(QStringLiteral("Kategoriewahl"), [this] {
    TFormKategoriewahl dialog(this);
    QString fehler;
    if (!dialog.Init(2, &fehler)) {
      FehlerMelden(fehler);
      return;
    }
    if (DialogAnzeigen(dialog) != mrOk) return;
    const QString pfad = dialog.Kategoriepfad();
    if (!pfad.isEmpty()) LabeledEditQVKategorie->setText(pfad);
  });
}

void TFormDateiInfo::ActionZeileNeuExecute() { StringGridQVDateien->ZeileEinfuegen(-1); }

void TFormDateiInfo::ActionZeileLoeschenExecute() { StringGridQVDateien->ZeileLoeschen(-1); }

void TFormDateiInfo::ActionDateiWahlExecute() {
  Abgesichert(QStringLiteral("Datei auswählen"), [this] {
    if (!OpenDialogQVDatei->Execute()) return;
    // Data files name their files relative to a data folder, with Windows separators.
    QString pfad = RelativerPfad(OpenDialogQVDatei->FileName);
    pfad.replace(u'/', u'\\');
    const int zeile = StringGridQVDateien->ZeileEinfuegen(-1);
    if (zeile > 0) StringGridQVDateien->CellsSetzen(0, zeile, pfad);
  });
}

void TFormDateiInfo::Fuellen(const TDateiInfoFelder& f) {
  LabeledEditQVVersion->setText(f.Version);
  LabeledEditQVDateiname->setText(f.Dateiname);
  LabeledEditQVObjektID->SetzeAlsInteger(f.ObjektID);
  MemoBeschreibung->setPlainText(f.Beschreibung.join(u'\n'));
  Autoren = f.Autoren;
  DateTimePickerEinsatzAb->setDateTime(f.EinsatzAb.AlsQDateTime());
  DateTimePickerEinsatzBis->setDateTime(f.EinsatzBis.AlsQDateTime());
  LabeledEditQVKategorie->setText(f.Kategorie);
  CheckBoxEinsatzAbKeineAngabe->setChecked(f.EinsatzAb.IstLeer());
  CheckBoxEinsatzbisKeineAngabe->setChecked(f.EinsatzBis.IstLeer());
  StringGridQVDateien->RowCountSetzen(std::max<int>(2, f.Dateien.size() + 1));
  for (int i = 0; i < f.Dateien.size(); ++i) StringGridQVDateien->CellsSetzen(0, i + 1, f.Dateien[i]);
}

void TFormDateiInfo::Auslesen(TDateiInfoFelder& f) const {
  f.Autoren = Autoren;
  f.Beschreibung = TextZeilen(MemoBeschreibung->toPlainText());
  f.ObjektID = LabeledEditQVObjektID->LeseAlsInteger();
  f.EinsatzAb = TDateTime::AusQDateTime(DateTimePickerEinsatzAb->dateTime());
  f.EinsatzBis = TDateTime::AusQDateTime(DateTimePickerEinsatzBis->dateTime());
  f.Kategorie = LabeledEditQVKategorie->text();
  f.Dateien.clear();
  for (int z = 1; z < StringGridQVDateien->RowCount(); ++z) f.Dateien.append(StringGridQVDateien->Cells(0, z));
}

int TDateiInfoBearbeitungQV::Bearbeiten(TDateiInfoFelder& Felder) {
  TFormDateiInfo dialog(QApplication::activeWindow());
  dialog.Fuellen(Felder);
  const int ergebnis = DialogAnzeigen(dialog);
  if (ergebnis == mrOk) dialog.Auslesen(Felder);
  return ergebnis;
}

void DateiInfoDialogInstallieren() {
  static TDateiInfoBearbeitungQV dialog;
  DateiInfoBearbeitung() = &dialog;
}

}  // namespace kiro
