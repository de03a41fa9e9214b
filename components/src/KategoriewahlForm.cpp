#include "components/KategoriewahlForm.h"

#include "bilder/Bildersammlung.h"
#include "components/DateiDialogQV.h"
#include "components/DialogAnzeigen.h"
#include "foundation/Dateitypen.h"
#include "foundation/Formatieren.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"
#include "foundation/Textdatei.h"
#include "foundation/Uebersetzen.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kiro {

namespace {

constexpr std::int64_t kBaumdateien = 0x3000000000;  // rows 36 (folder links) and 37 (text files)
constexpr int kBildKante = 19;

QToolButton* Bildknopf(QWidget* Eltern, const char* Name, const char* Bild) {
  auto* b = new QToolButton(Eltern);
  b->setObjectName(QLatin1String(Name));
  b->setProperty("Tag", 1);  // image only: nothing to translate
  if (TImageCollection* s = ImageCollectionKiroGesamt()) b->setIcon(s->Icon(QLatin1String(Bild)));
  b->setIconSize(QSize(kBildKante, kBildKante));
  b->setAutoRaise(true);
  return b;
}

TFormKategoriewahl::TKodierung KodierungErkennen(const QByteArray& b) {
  if (b.startsWith("\xEF\xBB\xBF")) return TFormKategoriewahl::TKodierung::Utf8;
  if (b.startsWith("\xFF\xFE")) return TFormKategoriewahl::TKodierung::Utf16LE;
  if (b.startsWith("\xFE\xFF")) return TFormKategoriewahl::TKodierung::Utf16BE;
  return TFormKategoriewahl::TKodierung::Ansi;
}

QByteArray Kodieren(const QString& Text, TFormKategoriewahl::TKodierung k) {
  using K = TFormKategoriewahl::TKodierung;
  switch (k) {
    case K::Utf16LE: {
      QStringEncoder e(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
      return e.encode(Text);
    }
    case K::Utf16BE: {
      QStringEncoder e(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
      return e.encode(Text);
    }
    case K::Utf8:
      return QByteArrayLiteral("\xEF\xBB\xBF") + Text.toUtf8();
    case K::Ansi:
      break;
  }
  return TextVerschluesseln(Text);
}

void Schreiben(const QTreeWidgetItem* Knoten, int Ebene, QString& Text) {
  Text += QString(Ebene, u'\t') + Knoten->text(0) + QStringLiteral("\r\n");
  for (int i = 0; i < Knoten->childCount(); ++i) Schreiben(Knoten->child(i), Ebene + 1, Text);
}

QTreeWidgetItem* NeuerKnoten(const QString& Text) {
  auto* k = new QTreeWidgetItem(QStringList{Text});
  k->setFlags(k->flags() | Qt::ItemIsEditable);
  return k;
}

}  // namespace

TFormKategoriewahl::TFormKategoriewahl(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormKategoriewahl"));
  setWindowTitle(QStringLiteral("Kategoriewahl"));
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);
  QFont schrift = font();
  schrift.setFamily(QStringLiteral("Tahoma"));
  setFont(schrift);
  resize(420, 460);

  TreeViewFarben = new QTreeWidget(this);
  TreeViewFarben->setObjectName(QStringLiteral("TreeViewFarben"));
  TreeViewFarben->setHeaderHidden(true);
  TreeViewFarben->setColumnCount(1);
  TreeViewFarben->setIndentation(15);
  TreeViewFarben->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeViewFarben->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::SelectedClicked);

  ButtonHinzufuegen = new QPushButton(QStringLiteral("Feld hinzufügen"), this);
  ButtonHinzufuegen->setObjectName(QStringLiteral("ButtonHinzufuegen"));
  BitBtnBaumAufklappen = Bildknopf(this, "BitBtnBaumAufklappen", "icon_ausklappen");
  BitBtnBaumEinklappen = Bildknopf(this, "BitBtnBaumEinklappen", "icon_einklappen");
  SpeedButtonLaden = Bildknopf(this, "SpeedButtonLaden", "icon_oeffnen");
  SpeedButtonSpeichern = Bildknopf(this, "SpeedButtonSpeichern", "icon_speichern");
  ButtonAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  ButtonAbbrechen->setObjectName(QStringLiteral("ButtonAbbrechen"));
  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  ButtonHinzufuegen->setAutoDefault(false);
  ButtonAbbrechen->setAutoDefault(false);

  OpenDialogQVKategorie = new TOpenDialogQV(this);
  OpenDialogQVKategorie->setObjectName(QStringLiteral("OpenDialogQVKategorie"));
  OpenDialogQVKategorie->setFileMode(QFileDialog::ExistingFile);
  SaveDialogQVKategorie = new TSaveDialogQV(this);
  SaveDialogQVKategorie->setObjectName(QStringLiteral("SaveDialogQVKategorie"));
  SaveDialogQVKategorie->setOption(QFileDialog::DontConfirmOverwrite, false);
  for (TKiroDateiDialog* d : {static_cast<TKiroDateiDialog*>(OpenDialogQVKategorie),
                              static_cast<TKiroDateiDialog*>(SaveDialogQVKategorie)}) {
    d->KiroFilter = kBaumdateien;
    d->KiroFilterStart = Datei_txt;
  }

  auto* knoepfe = new QHBoxLayout;
  knoepfe->addWidget(ButtonHinzufuegen);
  for (QToolButton* b : {BitBtnBaumAufklappen, BitBtnBaumEinklappen, SpeedButtonLaden, SpeedButtonSpeichern})
    knoepfe->addWidget(b);
  knoepfe->addStretch();
  knoepfe->addWidget(ButtonAbbrechen);
  knoepfe->addWidget(ButtonOK);
  auto* senkrecht = new QVBoxLayout(this);
  senkrecht->addWidget(TreeViewFarben, 1);
  senkrecht->addLayout(knoepfe);

  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonHinzufuegen, &QPushButton::clicked, this, [this] { ButtonHinzufuegenClick(); });
  connect(BitBtnBaumAufklappen, &QToolButton::clicked, this, [this] { BitBtnBaumAufklappenClick(); });
  connect(BitBtnBaumEinklappen, &QToolButton::clicked, this, [this] { BitBtnBaumEinklappenClick(); });
  connect(SpeedButtonLaden, &QToolButton::clicked, this, [this] { SpeedButtonLadenClick(); });
  connect(SpeedButtonSpeichern, &QToolButton::clicked, this, [this] { SpeedButtonSpeichernClick(); });

  FormularUebersetzen(this);
  // The tree is the category choice the window is named after.
  TreeViewFarben->setAccessibleName(windowTitle());
  BildknopfBenennen(BitBtnBaumAufklappen, QStringLiteral("Alle aufklappen"));
  BildknopfBenennen(BitBtnBaumEinklappen, QStringLiteral("Alle einklappen"));
  BildknopfBenennen(SpeedButtonLaden, QStringLiteral("Baum laden..."));
  BildknopfBenennen(SpeedButtonSpeichern, QStringLiteral("Baum speichern..."));
}

bool TFormKategoriewahl::Init(int Typ, QString* Fehler) {
  QString name;
  if (Typ == 1)
    name = QStringLiteral("colouring.txt");
  else if (Typ == 2)
    name = QStringLiteral("categories.txt");
  else {
    if (Fehler) *Fehler = Formatieren(QStringLiteral("Unbekannter Baum (%d)"), {Typ});
    return false;
  }
  const QString setup = QStringLiteral("_Setup");
  for (TKiroDateiDialog* d : {static_cast<TKiroDateiDialog*>(OpenDialogQVKategorie),
                              static_cast<TKiroDateiDialog*>(SaveDialogQVKategorie)}) {
    d->DefaultFolder = DatenverzeichnisOffiziell + setup;
    d->FileName = name;
  }
  // Through the checked join: an empty folder is the current folder, never the drive's root.
  const QString eigene = SicherVerbinden(Datenverzeichnis, setup + u'/' + name).value_or(QString());
  if (!eigene.isEmpty() && QFileInfo(eigene).isFile()) return KategorienLaden(eigene, Fehler);
  return KategorienLaden(SicherVerbinden(DatenverzeichnisOffiziell, setup + u'/' + name).value_or(QString()), Fehler);
}

bool TFormKategoriewahl::KategorienLaden(const QString& Datei, QString* Fehler) {
  QByteArray bytes;
  QString grund;
  if (!DateiLesen(Datei, bytes, &grund)) {
    if (Fehler) *Fehler = Formatieren(QStringLiteral("Datei \"%s\" kann nicht geöffnet werden"), {Datei}) +
                          QStringLiteral(" (") + grund + u')';
    return false;
  }
  // The whole tree is built aside first, so a bad line leaves the shown tree alone.
  QList<QTreeWidgetItem*> oben;
  QList<QTreeWidgetItem*> kette;  // the last node of each level down to the line before
  for (const QString& zeile : TextZeilen(TextEntschluesseln(bytes))) {
    if (zeile.isEmpty()) continue;
    int ebene = 0;
    while (ebene < zeile.size() && (zeile[ebene] == u'\t' || zeile[ebene] == u' ')) ++ebene;
    const QString text = zeile.mid(ebene);
    if (ebene > kette.size()) {
      qDeleteAll(oben);
      if (Fehler) *Fehler = Formatieren(QStringLiteral("Ungültige Ebene (%d) für Eintrag \"%s\""), {ebene, text});
      return false;
    }
    QTreeWidgetItem* k = NeuerKnoten(text);
    if (ebene == 0)
      oben.append(k);
    else
      kette[ebene - 1]->addChild(k);
    kette.resize(ebene);
    kette.append(k);
  }
  TreeViewFarben->clear();
  TreeViewFarben->addTopLevelItems(oben);
  FKodierung = KodierungErkennen(bytes);
  return true;
}

bool TFormKategoriewahl::KategorienSpeichern(const QString& Datei, QString* Fehler) {
  QString text;
  for (int i = 0; i < TreeViewFarben->topLevelItemCount(); ++i) Schreiben(TreeViewFarben->topLevelItem(i), 0, text);
  QString grund;
  if (DateiErsetzen(Datei, Kodieren(text, FKodierung), &grund)) return true;
  if (Fehler) *Fehler = Formatieren(QStringLiteral("Datei \"%s\" kann nicht geschrieben werden"), {Datei}) +
                        QStringLiteral(" (") + grund + u')';
  return false;
}

QTreeWidgetItem* TFormKategoriewahl::GewaehlterKnoten() const {
  // The selection, not the current item: Qt makes the first node current as soon as the tree
  // takes the focus, before the user has picked anything.
  const QList<QTreeWidgetItem*> gewaehlt = TreeViewFarben->selectedItems();
  return gewaehlt.isEmpty() ? nullptr : gewaehlt.first();
}

QString TFormKategoriewahl::Kategoriepfad() const {
  QString pfad;
  for (const QTreeWidgetItem* k = GewaehlterKnoten(); k; k = k->parent()) pfad = u'\\' + k->text(0) + pfad;
  return pfad;
}

void TFormKategoriewahl::ButtonHinzufuegenClick() {
  QTreeWidgetItem* neu = NeuerKnoten(QString());
  if (QTreeWidgetItem* gewaehlt = GewaehlterKnoten()) {
    gewaehlt->addChild(neu);
    gewaehlt->setExpanded(true);
  } else {
    TreeViewFarben->addTopLevelItem(neu);
  }
}

void TFormKategoriewahl::BitBtnBaumAufklappenClick() { TreeViewFarben->expandAll(); }

void TFormKategoriewahl::BitBtnBaumEinklappenClick() { TreeViewFarben->collapseAll(); }

void TFormKategoriewahl::SpeedButtonLadenClick() {
  Abgesichert(QStringLiteral("Kategorien laden"), [this] {
    if (!OpenDialogQVKategorie->Execute()) return;
    QString fehler;
    if (!KategorienLaden(OpenDialogQVKategorie->FileName, &fehler)) FehlerMelden(fehler);
  });
}

void TFormKategoriewahl::SpeedButtonSpeichernClick() {
  Abgesichert(QStringLiteral("Kategorien speichern"), [this] {
    if (!SaveDialogQVKategorie->Execute()) return;
    QString fehler;
    if (!KategorienSpeichern(SaveDialogQVKategorie->FileName, &fehler)) FehlerMelden(fehler);
  });
}

}  // namespace kiro
