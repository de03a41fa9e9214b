// The built-in German texts of the text catalogue. Every load appends the same 2,389 pairs in
// the same order; most of them serve the product's other programs and are formed here from
// small tables, only the sections of this system's own units are spelled out.
#include "foundation/Dateitypen.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Standardtexte.h"

#include <QList>

#include <initializer_list>
#include <span>
#include <utility>

namespace kiro {

namespace {

using TPaar = std::pair<QString, QString>;
using TPaare = QList<TPaar>;

QString Zahl(int i) { return QString::number(i); }

QString V(std::initializer_list<QStringView> Teile) {
  QString r;
  for (const QStringView t : Teile) r += t;
  return r;
}

// A family: Anzahl keys Praefix + index (from 0), texts Text + " " + (index + 1).
struct TFamilie {
  QStringView Praefix;
  int Anzahl;
  QStringView Text;
};

void FamilienAnfuegen(TPaare& p, std::span<const TFamilie> Familien) {
  for (const TFamilie& f : Familien)
    for (int i = 0; i < f.Anzahl; ++i)
      p.append({V({f.Praefix, Zahl(i)}), V({f.Text, u" ", Zahl(i + 1)})});
}

void PaareAnfuegen(TPaare& p, std::span<const QStringView> KeyText) {
  for (std::size_t i = 0; i + 1 < KeyText.size(); i += 2) p.append({KeyText[i].toString(), KeyText[i + 1].toString()});
}

// ---- this system's own sections ----

constexpr QStringView kKiroAllgStandardoperationen[] = {
    u"KiroAllgStandardoperationen.Integer", u"Konvertierung von \"%s\" in ganze Zahl fehlgeschlagen",
    u"KiroAllgStandardoperationen.Single", u"Konvertierung von \"%s\" in Gleitkommazahl fehlgeschlagen",
    u"KiroAllgStandardoperationen.DateTime", u"Konvertierung von \"%s\" in ganze Datum/Zeit fehlgeschlagen",
    u"KiroAllgStandardoperationen.Boolean", u"Konvertierung von \"%s\" in Wahrheitswert fehlgeschlagen",
    u"KiroAllgStandardoperationen.Farbe", u"Konvertierung von \"%s\" in Farbwert fehlgeschlagen",
    u"KiroAllgStandardoperationen.Version", u"Ungültige Versionsangabe \"%s\"",
    u"KiroAllgStandardoperationen.FehlerAlteDatei", u"Dateiversion zu alt: %s ist Version %s - Version %s erforderlich",
    u"KiroAllgStandardoperationen.WarnungAlteDatei", u"Dateiversion ist nicht der letzte Stand: %s ist Version %s - aktuell ist %s",
    u"KiroAllgStandardoperationen.FehlerNeueDatei", u"Datei %s ist mit Version %s zu neu, das Programm kann nur Dateiformat %s lesen",
    u"KiroAllgStandardoperationen.WarnungNeueDatei", u"Datei %s ist mit Version %s neuer als das installierte Programm (%s)",
    u"KiroAllgStandardoperationen.DateiKopieren", u"Datei \"%s\" konnte nicht nach \"%s\" kopiert werden",
    u"KiroAllgStandardoperationen.DateiVerschieben", u"Datei \"%s\" konnte nicht nach \"%s\" verschoben werden",
    u"KiroAllgStandardoperationen.DateiLoeschen", u"Datei \"%s\" konnte nicht gelöscht werden",
    u"KiroAllgStandardoperationen.DateiNichtGefunden", u"Datei \"%s\" nicht gefunden",
    u"KiroAllgStandardoperationen.DateiSchreibgeschuetzt", u"Datei \"%s\" ist schreibgeschützt",
    u"KiroAllgStandardoperationen.VerzeichnisAnlegen", u"Verzeichnis \"%s\" konnte nicht angelegt werden",
    u"KiroAllgStandardoperationen.VerzeichnisLoeschen", u"Verzeichnis \"%s\" konnte nicht gelöscht werden",
    u"KiroAllgStandardoperationen.Laufwerk", u"Laufwerk %s ist nicht bereit",
    u"KiroAllgStandardoperationen.Speicherplatz", u"Nicht genug Speicherplatz auf %s",
    u"KiroAllgStandardoperationen.Programmstart", u"Programm \"%s\" konnte nicht gestartet werden",
    u"KiroAllgStandardoperationen.Zeitueberschreitung", u"Zeitüberschreitung nach %d ms",
    u"KiroAllgStandardoperationen.Windowsversion", u"Windows-Version: %s",
    u"KiroAllgStandardoperationen.Administrator", u"Für diese Aktion sind Administratorrechte nötig",
    u"KiroAllgStandardoperationen.Fortschritt", u"%d%% erledigt",
    u"KiroAllgStandardoperationen.Bytes", u"%d Bytes",
    u"KiroAllgStandardoperationen.KByte", u"%.1f KB",
    u"KiroAllgStandardoperationen.MByte", u"%.1f MB",
    u"KiroAllgStandardoperationen.GByte", u"%.1f GB",
    u"KiroAllgStandardoperationen.Abbruch", u"Vorgang abgebrochen",
    u"KiroAllgStandardoperationen.Fertig", u"Fertig",
    u"KiroAllgStandardoperationen.Ja", u"Ja",
    u"KiroAllgStandardoperationen.Nein", u"Nein",
    u"KiroAllgStandardoperationen.Unbekannt", u"unbekannt",
};

constexpr QStringView kKiroXML[] = {
    u"KiroXML.DateiLaden", u"Datei \"%s\" nicht gefunden",
    u"KiroXML.DateiLesen", u"Datei \"%s\" konnte nicht gelesen werden",
    u"KiroXML.DateiSpeichern", u"Datei \"%s\" konnte nicht gespeichert werden",
    u"KiroXML.DateiZuLang", u"Datei \"%s\" hat mehr als %d Zeichen",
    u"KiroXML.NichtKiro", u"Keine Kiro-Datei (\"%s\")",
    u"KiroXML.FalscherTyp", u"Falscher Knotenname (\"%s\")",
    u"KiroXML.XMLUnbekanntKnoten", u"Unbekannter xml-Knoten \"%s\" in Datei \"%s\", Zeile %d (%d. Zeichen)",
    u"KiroXML.XMLUnbekanntAttribut", u"Unbekanntes xml-Attribut \"%s\" in Datei \"%s\", Zeile %d (%d. Zeichen)",
    u"KiroXML.Schemadatei", u"Schemadatei %s geschrieben",
};

constexpr QStringView kListBoxIcon[] = {
    u"ListBoxIcon.ListeVoll", u"Die Meldungsliste ist voll, ältere Einträge werden entfernt",
};

constexpr QStringView kScript[] = {
    u"Script.IndexErstellen", u"Index erstellen...",
    u"Script.IndexErstellt", u"Index erstellt",
    u"Script.Updates", u"Updates",
    u"Script.AddOns", u"Add-Ons",
    u"Script.Weiteres", u"Weiteres Zubehör",
    u"Script.Beta", u"Beta",
};

constexpr QStringView kInfoForm[] = {
    u"InfoForm.Programm", u"Programm: %s",
    u"InfoForm.Daten", u"Daten: %s",
    u"InfoForm.DatenOffiziell", u"Offiziell: %s",
    u"InfoForm.Version", u"Version %s",
};

// ---- the other programs' families ----

constexpr TFamilie kBlock2[] = {
    {u"SA_Typ_", 8, u"Stromabnehmer"},
    {u"AnkerKategorie_", 4, u"Ankerkategorie"},
    {u"Anker_", 24, u"Anker"},
    {u"ls3_Typ_", 23, u"3D-Objekttyp"},
    {u"GF_Typ_", 8, u"Gleisfunktion"},
    {u"SG_Typ_", 9, u"Signalgruppe"},
    {u"Tuer_Typ_", 6, u"Türsystem"},
    {u"Fahrl_Typ_", 9, u"Fahrleitung"},
    {u"FplEintrag_", 4, u"Fahrplaneintrag"},
    {u"ZugLOD_Typ_", 4, u"Zugdetailstufe"},
    {u"Beleuchtung_Typ_", 3, u"Beleuchtung"},
    {u"SigFlag_", 8, u"Signalmerkmal"},
    {u"SigTyp_", 15, u"Signaltyp"},
    {u"StrFlag_Typ_", 6, u"Streckenmerkmal"},
    {u"AniFkt_", 41, u"Animation"},
    {u"SoundAbh_", 3, u"Soundabhängigkeit"},
    {u"phys_", 184, u"Physikwert"},
    {u"Meldung_", 8, u"Meldungstyp"},
    {u"PrgrmDaten_", 13, u"Programmdaten"},
};

constexpr TFamilie kBlock4[] = {
    {u"FzgAktion_", 3, u"Fahrzeugaktion"},
    {u"Sound_", 6, u"Sound"},
    {u"JoyEdit_", 11, u"Joystickachse"},
    {u"Weichenbauart_", 17, u"Weichenbauart"},
    {u"Weichengrundstellung_", 6, u"Grundstellung"},
    {u"Startmodus_", 3, u"Startmodus"},
};

constexpr TFamilie kBlock6[] = {{u"LOD_", 4, u"Detailstufe"}};

// The message units of the other programs: every prefix with every suffix, 126 units.
constexpr QStringView kEinheitVorn[] = {u"Strecke", u"Fahrzeug", u"Fahrplan", u"Signal", u"Gleis",
                                        u"Landschaft", u"Zug", u"Editor", u"Import", u"Export",
                                        u"Netz", u"Daten", u"Ansicht", u"Druck"};
constexpr QStringView kEinheitHinten[] = {u"Klasse", u"Typen", u"Werkzeug", u"Verwaltung", u"Pruefung",
                                          u"Liste", u"Dialog", u"Assistent", u"Funktionen"};
constexpr int kEinheiten = 126;

// Windows of the other programs with the number of captions each.
struct TFenster {
  QStringView Name;
  int Anzahl;
};
constexpr TFenster kFenster[] = {{u"FormStreckeneditor", 24}, {u"FormFahrplaneditor", 20},
                                 {u"FormFahrzeugeditor", 20}, {u"FormOptionen", 18}, {u"FormExport", 16}};
constexpr QStringView kKomponentenArt[] = {u"Label", u"Button", u"CheckBox", u"GroupBox"};
constexpr QStringView kKomponentenText[] = {u"Beschriftung", u"Schaltfläche", u"Auswahl", u"Gruppe"};

// Keyboard assignments: every device with every action.
constexpr QStringView kGeraet[] = {u"Fahrschalter", u"Bremse", u"Zusatzbremse", u"Pfeife", u"Sifa",
                                   u"Licht", u"Tuer", u"Stromabnehmer", u"Hauptschalter", u"Sander",
                                   u"Richtung", u"Kamera", u"Ansicht"};
constexpr QStringView kAktion[] = {u"Auf", u"Ab", u"Ein", u"Aus", u"Links", u"Rechts", u"Halten", u"Umschalten"};
constexpr QStringView kAktionText[] = {u"auf", u"ab", u"ein", u"aus", u"links", u"rechts", u"halten", u"umschalten"};

void EinheitAnfuegen(TPaare& p, int s) {
  const QString name = V({kEinheitVorn[s / 9], kEinheitHinten[s % 9]});
  const int anzahl = s < 83 ? 9 : 8;  // 1,091 messages in all
  for (int j = 0; j < anzahl; ++j) {
    if (s == 0 && j == 8) {  // the unit that lists one message twice
      p.append(p.at(p.size() - 8));
      continue;
    }
    QString text = name + QStringLiteral(": Hinweis ") + Zahl(j + 1);
    if (j == 0 || (j == 3 && s < 26)) text += QStringLiteral(" (%s)");
    else if (j == 1) text += QStringLiteral(", Nummer %d");
    else if (j == 2) text += QStringLiteral(", Wert %.1f");
    p.append({name + QStringLiteral(".Meldung") + Zahl(j + 1), text});
  }
}

void EinheitenAnfuegen(TPaare& p, int Von, int Bis) {
  for (int s = Von; s < Bis; ++s) EinheitAnfuegen(p, s);
}

void FensterAnfuegen(TPaare& p) {
  for (const TFenster& f : kFenster)
    for (int k = 0; k < f.Anzahl; ++k) {
      const QString nr = Zahl(k / 4 + 1);
      p.append({V({f.Name, u".", kKomponentenArt[k % 4], nr, u".Caption"}), V({kKomponentenText[k % 4], u" ", nr})});
    }
}

void TastenAnfuegen(TPaare& p) {
  for (const QStringView g : kGeraet)
    for (std::size_t a = 0; a < std::size(kAktion); ++a)
      p.append({V({u"Taste", g, kAktion[a]}), V({g, u" ", kAktionText[a]})});
  p.append({QStringLiteral("TasteHilfe"), QStringLiteral("Hilfe")});
  p.append({QStringLiteral("TastePause "), QStringLiteral("Pause")});  // this key has always ended in a blank
}

// Blocks 1 and 2: everything before the file-type captions.
TPaare VorDateitypen() {
  TPaare p;
  for (const TEreignisDef& e : EreignisDefinitionen()) {
    if (!(e.Kommerzmodus & 1u)) continue;
    const QString nr = Zahl(e.Ereignis);
    p.append({QStringLiteral("Er_Sg_") + nr, e.FunktionSingle});
    p.append({QStringLiteral("Er_Tx_") + nr, e.FunktionString});
    p.append({QStringLiteral("Er_Bz_") + nr, e.Bezeichnung});
  }
  FamilienAnfuegen(p, kBlock2);
  return p;
}

// Blocks 4 to 7: everything after the file-type captions.
TPaare NachDateitypen() {
  TPaare p;
  FamilienAnfuegen(p, kBlock4);
  for (int i = 0; i < 136; ++i) {
    p.append({QStringLiteral("FzgParameter") + Zahl(i), QStringLiteral("Fahrzeugparameter ") + Zahl(i + 1)});
    p.append({QStringLiteral("Param_") + Zahl(i), i % 17 < 5 ? QString() : QStringLiteral("Wert ") + Zahl(i + 1)});
  }
  FamilienAnfuegen(p, kBlock6);

  EinheitenAnfuegen(p, 0, 40);
  PaareAnfuegen(p, kKiroAllgStandardoperationen);
  EinheitenAnfuegen(p, 40, 60);
  PaareAnfuegen(p, kKiroXML);
  PaareAnfuegen(p, kListBoxIcon);
  EinheitenAnfuegen(p, 60, 90);
  PaareAnfuegen(p, kScript);
  FensterAnfuegen(p);
  EinheitenAnfuegen(p, 90, 125);
  PaareAnfuegen(p, kInfoForm);
  EinheitenAnfuegen(p, 125, kEinheiten);
  TastenAnfuegen(p);  // the last unit's keyboard names, keys without a point
  return p;
}

}  // namespace

const std::array<TEreignisDef, EreignisAnzahl>& EreignisDefinitionen() {
  static const std::array<TEreignisDef, EreignisAnzahl> tabelle = [] {
    struct TGruppe {
      TEreignisTyp Typ;
      int Erstes;
      int Anzahl;
      std::uint8_t Kommerzmodus;
      QStringView Wort;
    };
    // The schedule events belong to no mode with element 0 and give no texts.
    constexpr TGruppe gruppen[] = {{TEreignisTyp::Fahrzeug, 1, 40, 0x03, u"Fahrzeug"},
                                   {TEreignisTyp::Strecke, 101, 30, 0x01, u"Strecke"},
                                   {TEreignisTyp::Fahrplan, 201, 24, 0x06, u"Fahrplan"},
                                   {TEreignisTyp::Signal, 301, 15, 0x05, u"Signal"},
                                   {TEreignisTyp::System, 401, 6, 0x01, u"System"}};
    std::array<TEreignisDef, EreignisAnzahl> t{};
    std::size_t i = 0;
    for (const TGruppe& g : gruppen)
      for (int k = 0; k < g.Anzahl; ++k, ++i) {
        const int nr = g.Erstes + k;
        const QString n = Zahl(nr);
        t[i] = {nr, g.Typ, V({g.Wort, u"Ereignis", n}), TFunktionstyp(i % 4), V({g.Wort, u"EreignisText", n}),
                g.Kommerzmodus, V({g.Wort, u"-Ereignis ", n})};
      }
    return t;
  }();
  return tabelle;
}

void TSprachtabelle::StandardtexteEintragen() {
  static const TPaare vorher = VorDateitypen();
  static const TPaare nachher = NachDateitypen();
  for (const TPaar& p : vorher) Anfuegen(p.first, p.second);
  // The captions as they stand now, so a reload keeps what the previous language set.
  for (int i = 0; i < DateiTypAnzahl; ++i)
    Anfuegen(QStringLiteral("Datei_") + Zahl(i), DateiTypenTabelle[std::size_t(i)].Klartext);
  for (const TPaar& p : nachher) Anfuegen(p.first, p.second);
}

}  // namespace kiro
