// Pictures of the header dialogs as a user meets them, filled with a plausible header, with the
// application's images, as designed (German) and through an English language file.
// Run under Xvfb: components_dialogfotos FOLDER
#include "bilder/Bildersammlung.h"
#include "components/AutorabfrageForm.h"
#include "components/DateiInfoForm.h"
#include "components/KategoriewahlForm.h"
#include "components/StringGridQV.h"
#include "foundation/Ordner.h"
#include "foundation/Sprachtabelle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>

namespace {

void Warten() {
  QElapsedTimer uhr;
  uhr.start();
  while (uhr.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool Foto(QWidget& w, const QString& Datei) {
  w.show();
  Warten();
  if (w.grab().save(Datei)) {
    std::printf("%s\n", qPrintable(Datei));
    return true;
  }
  std::fprintf(stderr, "cannot write %s\n", qPrintable(Datei));
  return false;
}

kiro::TAutor Autor(int id, const char* name, const char* mail, float stunden, kiro::TLizenz lizenz, const char* bem) {
  kiro::TAutor a;
  a.AutorID = id;
  a.Name = QString::fromUtf8(name);
  a.eMail = QString::fromUtf8(mail);
  a.AufwandStunden = stunden;
  a.AufwandAlt = 35;
  a.Lizenz = lizenz;
  a.Bemerkung = QString::fromUtf8(bem);
  return a;
}

// The English texts a language file gives the three dialogs.
const char kEnglisch[] =
    "FormDateiInfo.Caption = File information\n"
    "FormDateiInfo.LabeledEditQVDateiname.EditLabel.Caption = File name\n"
    "FormDateiInfo.LabeledEditQVVersion.EditLabel.Caption = File format version\n"
    "FormDateiInfo.LabelAutoren.Caption = Authors\n"
    "FormDateiInfo.LabeledEditQVKategorie.EditLabel.Caption = Category\n"
    "FormDateiInfo.LabelEinsatzAb.Caption = Usable from\n"
    "FormDateiInfo.CheckBoxEinsatzAbKeineAngabe.Caption = Not specified\n"
    "FormDateiInfo.LabelEinsatzBis.Caption = Usable until\n"
    "FormDateiInfo.CheckBoxEinsatzbisKeineAngabe.Caption = Not specified\n"
    "FormDateiInfo.LabeledEditQVObjektID.EditLabel.Caption = Object ID\n"
    "FormDateiInfo.LabelBeschreibung.Caption = Short description\n"
    "FormDateiInfo.LabelDateien.Caption = Files this file needs\n"
    "FormDateiInfo.ButtonAbbrechen.Caption = Cancel\n"
    "FormDateiInfo.ActionAutorAnfuegen.Caption = Add author...\n"
    "FormDateiInfo.ActionEmailAutoren.Caption = E-mail to authors\n"
    "FormDateiInfo.ActionZeileNeu.Caption = New row\n"
    "FormDateiInfo.ActionZeileLoeschen.Caption = Delete row\n"
    "FormDateiInfo.ActionDateiWahl.Caption = Choose new file...\n"
    "FormAutorabfrage.Caption = Author query\n"
    "FormAutorabfrage.LabeledEditQVAutorID.EditLabel.Caption = Author ID\n"
    "FormAutorabfrage.LabeledEditQVAutor.EditLabel.Caption = Author name\n"
    "FormAutorabfrage.LabeledEditQVemail.EditLabel.Caption = E-mail\n"
    "FormAutorabfrage.LabeledEditQVBewertungspunkte.EditLabel.Caption = Rating points\n"
    "FormAutorabfrage.LabeledEditQVAufwandspunkteStunden.EditLabel.Caption = Own effort [h]\n"
    "FormAutorabfrage.LabeledEditQVBemerkung.EditLabel.Caption = Remark\n"
    "FormAutorabfrage.LabelLizenz.Caption = Licence\n"
    "FormAutorabfrage.ButtonAbbrechen.Caption = Cancel\n"
    "FormKategoriewahl.Caption = Category choice\n"
    "FormKategoriewahl.ButtonHinzufuegen.Caption = Add field\n"
    "FormKategoriewahl.ButtonAbbrechen.Caption = Cancel\n"
    "FormKategoriewahl.BitBtnBaumAufklappen.Hint = Expand all\n"
    "FormKategoriewahl.BitBtnBaumEinklappen.Hint = Collapse all\n"
    "FormKategoriewahl.SpeedButtonLaden.Hint = Load tree...\n"
    "FormKategoriewahl.SpeedButtonSpeichern.Hint = Save tree...\n";

bool Fotos(const QString& Ordner, const QString& Sprache) {
  const QString nachsatz = Sprache.isEmpty() ? QString() : u'-' + Sprache;
  bool gut = true;
  {
    kiro::TFormAutorabfrage d;
    d.SetAutor(Autor(4711, "Anna Weber", "anna.weber@example.org", 12.5f, kiro::Liz_Standard, "Gleisplan und Signale"));
    gut &= Foto(d, Ordner + "dialog-autorabfrage" + nachsatz + ".png");
  }
  {
    QTemporaryDir temp;
    QFile f(temp.filePath("categories.txt"));
    f.open(QIODevice::WriteOnly);
    f.write("Strecken\r\n\tNord\r\n\t\tHafen\r\n\t\tK\xFCste\r\n\tS\xFC" "d\r\n\t\tGebirge\r\nFahrzeuge\r\n\tTriebwagen\r\n"
            "\tG\xFCterwagen\r\nLandschaft\r\n");
    f.close();
    kiro::TFormKategoriewahl d;
    d.KategorienLaden(f.fileName());
    d.BitBtnBaumAufklappenClick();
    d.TreeViewFarben->setCurrentItem(d.TreeViewFarben->topLevelItem(0)->child(0));
    gut &= Foto(d, Ordner + "dialog-kategoriewahl" + nachsatz + ".png");
  }
  {
    kiro::TFormDateiInfo d;
    kiro::TDateiInfoFelder k;
    k.Dateiname = QStringLiteral("Strecken\\Nord\\Hafenbahn.st3");
    k.Version = QStringLiteral("A.3");
    k.ObjektID = 20817;
    k.Beschreibung = QStringList{QStringLiteral("Hafenbahn mit Drehbrücke"), QStringLiteral("Epoche III")};
    k.Autoren = {Autor(4711, "Anna Weber", "anna.weber@example.org", 12.5f, kiro::Liz_Standard, "Gleisplan"),
                 Autor(815, "Bernd Kranz", "bk@example.net", 3.25f, kiro::Liz_StandardGeldinPool, "Signale")};
    k.EinsatzAb = kiro::TDateTime::AusDatum(QDate(2024, 3, 1));
    k.Kategorie = QStringLiteral("\\Strecken\\Nord\\Hafen");
    k.Dateien = QStringList{QStringLiteral("Strecken\\Nord\\Hafenbahn\\Gleise.ls3"),
                            QStringLiteral("Strecken\\Nord\\Hafenbahn\\Bruecke.ls3"),
                            QStringLiteral("Texturen\\Hafen\\Kaimauer.dds")};
    d.Fuellen(k);
    gut &= Foto(d, Ordner + "dialog-dateiinfo" + nachsatz + ".png");
    d.SpTBXPopupMenuDateien->popup(d.mapToGlobal(QPoint(60, 400)));
    Warten();
    const QString menue = Ordner + "dialog-dateiinfo-menue" + nachsatz + ".png";
    gut &= d.SpTBXPopupMenuDateien->grab().save(menue);
    std::printf("%s\n", qPrintable(menue));
  }
  return gut;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString ordner = QString::fromLocal8Bit(argv[1]) + u'/';
  QTemporaryDir konfiguration;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(konfiguration.path()));

  kiro::TImageCollection bilder;
  kiro::KiroGesamtBilderEintragen(bilder);
  kiro::ImageCollectionKiroGesamtSetzen(&bilder);
  bool gut = Fotos(ordner, QString());

  QTemporaryDir programm;
  kiro::Programmverzeichnis = programm.path() + u'/';
  QDir().mkpath(programm.filePath("_InstSetup/language/English"));
  QFile sprachdatei(programm.filePath("_InstSetup/language/English/text.txt"));
  sprachdatei.open(QIODevice::WriteOnly);
  sprachdatei.write(kEnglisch);
  sprachdatei.close();
  kiro::TSprachtabelle englisch;
  englisch.Sprachordner = QStringLiteral("English");
  kiro::Sprachtabelle = &englisch;
  gut &= Fotos(ordner, QStringLiteral("English"));
  kiro::Sprachtabelle = nullptr;

  kiro::ImageCollectionKiroGesamtSetzen(nullptr);
  return gut ? 0 : 1;
}
