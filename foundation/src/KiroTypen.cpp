#include "foundation/KiroTypen.h"

#include "foundation/Ordner.h"

#include <cmath>
#include <cstdlib>

namespace kiro {

namespace {

constexpr std::int64_t MsProTag = 86'400'000;
// Julian day of 1899-12-30, day 0 of the date type.
const qint64 Tag0 = QDate(1899, 12, 30).toJulianDay();
// Beyond this the millisecond count no longer fits a double exactly (about 270,000 years).
constexpr double GroessterBetrag = 1.0e8;

// Day and time of a value the way the original splits it: the millisecond total is rounded
// once, its quotient truncated towards zero gives the day, the remainder's magnitude the time.
// So -1.25 is 1899-12-29 06:00 and 0.99999999999 rounds up to the next midnight.
bool Zerlegen(double Wert, qint64& Tag, int& Ms) {
  if (!std::isfinite(Wert) || std::fabs(Wert) > GroessterBetrag) return false;
  const auto gesamt = static_cast<std::int64_t>(std::llround(Wert * static_cast<double>(MsProTag)));
  Tag = gesamt / MsProTag;
  Ms = static_cast<int>(std::llabs(gesamt % MsProTag));
  return true;
}

TDateTime Zusammensetzen(qint64 Tag, int Ms) {
  if (std::llabs(Tag) > static_cast<qint64>(GroessterBetrag)) return TDateTime();
  // A day before day 0 carries its time as a negative fraction, like the original's encoding.
  const std::int64_t gesamt = Tag * MsProTag + (Tag < 0 ? -Ms : Ms);
  return TDateTime(static_cast<double>(gesamt) / static_cast<double>(MsProTag));
}

}  // namespace

TDateTime TDateTime::AusQDateTime(const QDateTime& dt) {
  if (!dt.isValid()) return TDateTime();
  return Zusammensetzen(dt.date().toJulianDay() - Tag0, dt.time().msecsSinceStartOfDay());
}

TDateTime TDateTime::AusDatum(const QDate& d) {
  if (!d.isValid()) return TDateTime();
  return Zusammensetzen(d.toJulianDay() - Tag0, 0);
}

QDate TDateTime::Datum() const {
  qint64 tag = 0;
  int ms = 0;
  if (!Zerlegen(Wert, tag, ms)) return {};
  return QDate::fromJulianDay(Tag0 + tag);
}

QTime TDateTime::Zeit() const {
  qint64 tag = 0;
  int ms = 0;
  if (!Zerlegen(Wert, tag, ms)) return {};
  return QTime::fromMSecsSinceStartOfDay(ms);
}

QDateTime TDateTime::AlsQDateTime() const {
  qint64 tag = 0;
  int ms = 0;
  if (!Zerlegen(Wert, tag, ms)) return {};
  return QDateTime(QDate::fromJulianDay(Tag0 + tag), QTime::fromMSecsSinceStartOfDay(ms));
}

QString BasisVerzeichnis(const TDatei& Datei) {
  switch (Datei.InstVerzeichnis) {
    case Datenverzeichnis_Code:
      return Datenverzeichnis;
    case Programmverzeichnis_Code:
      return Programmverzeichnis;
    default:
      return DatenverzeichnisOffiziell;
  }
}

namespace {

struct UpdateDateiKonstante {
  const char16_t* Klarname;
  const char16_t* Datei;
  const char16_t* Startmenue;
  std::uint16_t Umfang;
  std::uint8_t InstAuswahl;
};

// Element 0 of Umfang: programs and libraries that updates replace. Paths keep the Windows form
// of the installation; the start-menu folder is relative to the product's own.
constexpr std::uint16_t Programm = 0x007D;    // updated, all editions
constexpr std::uint16_t Editor = 0x005D;      // updated, not in the driving-only editions
constexpr std::uint16_t Bibliothek = 0x007D;  // updated, no shortcut
constexpr std::uint16_t Begleitend = 0x007C;  // installed with the product, never updated alone

constexpr UpdateDateiKonstante UpdateDateienKonstant[] = {
    {u"Kiro Simulator", u"KiroSim.exe", u"\\", Programm, 0x0F},
    {u"Einstellungen", u"KiroEinstellungen.exe", u"\\", Programm, 0x0F},
    {u"Fahrtauswertung", u"KiroAuswertung.exe", u"\\", Programm, 0x03},
    {u"Streckeneditor", u"KiroStreckeneditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Landschaftseditor", u"KiroLandschaftseditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Fahrzeugeditor", u"KiroFahrzeugeditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Führerstandseditor", u"KiroFuehrerstandeditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Fahrplaneditor", u"KiroFahrplaneditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Zugeditor", u"KiroZugeditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Signaleditor", u"KiroSignaleditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Weichengenerator", u"KiroWeichengenerator.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Buchfahrplan-Editor", u"KiroBuchfahrplan.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Bahnübergangseditor", u"KiroBahnuebergang.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Reisende-Editor", u"KiroReisendeEditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Schriftsatz-Editor", u"KiroSchriftsatz.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"Wechselschalter-Editor", u"KiroCabEditor.exe", u"\\Editoren\\", Editor, 0x0C},
    {u"KiroAnzeige", u"KiroAnzeige.exe", u"\\", Programm, 0x0F},
    {u"Tastaturbelegung", u"KiroTastatur.exe", u"\\Werkzeuge\\", Programm, 0x03},
    {u"Joystick-Einrichtung", u"KiroJoystick.exe", u"\\Werkzeuge\\", Programm, 0x03},
    {u"Raildriver-Einrichtung", u"KiroRaildriver.exe", u"\\Werkzeuge\\", Programm, 0x03},
    {u"Ausgabekonfiguration", u"KiroAusgabe.exe", u"\\Werkzeuge\\", Programm, 0x03},
    {u"GPA-Konfiguration", u"KiroGPA.exe", u"\\Werkzeuge\\", Editor, 0x0C},
    {u"Update-Verwaltung", u"KiroUpdate.exe", u"\\Werkzeuge\\", Programm, 0x0F},
    {u"Dateiverwaltung", u"KiroDateiverwaltung.exe", u"\\Werkzeuge\\", Programm, 0x0F},
    {u"Kiro 2-Massentausch", u"Kiro2Tausch.exe", u"\\Werkzeuge\\", Editor, 0x0C},
    {u"Geländeimport", u"KiroGelaendeimport.exe", u"\\Werkzeuge\\", Editor, 0x0C},
    {u"Autorenverwaltung", u"KiroAutoren.exe", u"\\Werkzeuge\\", Editor, 0x0C},
    {u"Systeminformation", u"KiroSysteminfo.exe", u"\\Werkzeuge\\", Programm, 0x0F},
    {u"Fernwartung", u"KiroFernwartung.exe", u"\\Werkzeuge\\", Programm, 0x0F},
    {u"Paketlader", u"Paketlader.exe", u"\\Werkzeuge\\", Programm, 0x0F},
    {u"Einrichtung", u"setup.exe", u"", Begleitend, 0x0F},
    {u"Deinstallation", u"uninstall.exe", u"\\", Begleitend, 0x0F},
    {u"Kern", u"KiroKern.dll", u"", Bibliothek, 0x0F},
    {u"3D-Grafik", u"KiroD3D.dll", u"", Bibliothek, 0x0F},
    {u"3D-Typen", u"KiroD3DTypen.dll", u"", Bibliothek, 0x0F},
    {u"Physik", u"KiroPhysik.dll", u"", Bibliothek, 0x03},
    {u"Ton", u"KiroTon.dll", u"", Bibliothek, 0x0F},
    {u"Zugbeeinflussung PZB", u"KiroPZB.dll", u"", Bibliothek, 0x03},
    {u"Linienzugbeeinflussung", u"KiroLZB.dll", u"", Bibliothek, 0x03},
    {u"Sicherheitsfahrschaltung", u"KiroSifa.dll", u"", Bibliothek, 0x03},
    {u"ETCS", u"KiroETCS.dll", u"", Bibliothek, 0x03},
    {u"Netzwerk", u"KiroNetz.dll", u"", Bibliothek, 0x0F},
    {u"Eingabegeräte", u"KiroEingabe.dll", u"", Bibliothek, 0x03},
    {u"Raildriver-Treiber", u"_InstSetup\\lib\\raildriver\\PieHid.dll", u"", Bibliothek, 0x03},
    {u"XML-Bibliothek", u"KiroXML.dll", u"", Bibliothek, 0x0F},
    {u"Dialoge", u"KiroDialoge.dll", u"", Bibliothek, 0x0F},
    {u"Sprachtexte", u"KiroSprache.dll", u"", Bibliothek, 0x0F},
    {u"Fahrplanlogik", u"KiroFahrplanlogik.dll", u"", Bibliothek, 0x03},
    {u"Signallogik", u"KiroSignallogik.dll", u"", Bibliothek, 0x03},
    {u"Geländemodell", u"KiroGelaende.dll", u"", Bibliothek, 0x0F},
    {u"Texturen", u"KiroTextur.dll", u"", Bibliothek, 0x0F},
    {u"Anzeigen", u"KiroMFA.dll", u"", Bibliothek, 0x0F},
    {u"Karte", u"KiroKarte.dll", u"", Bibliothek, 0x0F},
    {u"Videoaufnahme", u"KiroVideo.dll", u"", Bibliothek, 0x03},
    {u"Führerstandsschnittstelle", u"KiroCabSchnittstelle.dll", u"", Bibliothek, 0x03},
    {u"Script-Maschine", u"KiroScriptMaschine.dll", u"", Bibliothek, 0x0F},
    {u"Wetter", u"KiroWetter.dll", u"", Bibliothek, 0x03},
    {u"Reisende", u"KiroReisende.dll", u"", Bibliothek, 0x03},
    {u"Schriften", u"KiroSchriften.dll", u"", Bibliothek, 0x0F},
    {u"Ausgabegeräte", u"KiroAusgabegeraete.dll", u"", Bibliothek, 0x03},
    {u"7-Zip", u"_InstSetup\\lib\\sevenzip\\7za.dll", u"", Bibliothek, 0x0F},
    {u"Handbuch", u"_Docu\\Handbuch.pdf", u"\\Handbücher\\", Begleitend, 0x0F},
    {u"Kurzanleitung", u"_Docu\\Kurzanleitung.pdf", u"\\", Begleitend, 0x0F},
    {u"Handbuch Streckeneditor", u"_Docu\\Handbuch_Streckeneditor.pdf", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Handbuch Landschaftseditor", u"_Docu\\Handbuch_Landschaftseditor.pdf", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Handbuch Fahrzeugeditor", u"_Docu\\Handbuch_Fahrzeugeditor.pdf", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Handbuch Führerstandseditor", u"_Docu\\Handbuch_Fuehrerstandeditor.pdf", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Handbuch Fahrplaneditor", u"_Docu\\Handbuch_Fahrplaneditor.pdf", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Autorenhandbuch", u"_Docu\\Autorenhandbuch.pdf", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Tastaturübersicht", u"_Docu\\Tastatur.pdf", u"\\Handbücher\\", Begleitend, 0x03},
    {u"PZB-Handbuch", u"_Docu\\PZB.pdf", u"\\Handbücher\\", Begleitend, 0x03},
    {u"LZB-Handbuch", u"_Docu\\LZB.pdf", u"\\Handbücher\\", Begleitend, 0x03},
    {u"ETCS-Handbuch", u"_Docu\\ETCS.pdf", u"\\Handbücher\\", Begleitend, 0x03},
    {u"Signalbuch", u"_Docu\\Signalbuch.pdf", u"\\Handbücher\\", Begleitend, 0x03},
    {u"Versionshinweise", u"_Docu\\Versionshinweise.pdf", u"\\", Begleitend, 0x0F},
    {u"Lizenzbedingungen", u"_Docu\\Lizenz.pdf", u"\\", Begleitend, 0x0F},
    {u"Dateiformate", u"_Docu\\xml\\Dateiformate.htm", u"\\Handbücher\\", Begleitend, 0x0C},
    {u"Kiro im Netz", u"_Docu\\Kiro.url", u"\\", Begleitend, 0x0F},
    {u"Sprachdatei Deutsch", u"_InstSetup\\language\\Deutsch\\text.txt", u"", Begleitend, 0x0F},
    {u"Sprachdatei Englisch", u"_InstSetup\\language\\English\\text.txt", u"", Begleitend, 0x0F},
    {u"Vorlage Beschreibung", u"_InstSetup\\language\\Deutsch\\basis.htm", u"", Begleitend, 0x0F},
};
static_assert(std::size(UpdateDateienKonstant) == 81);

struct AnwendungKonstante {
  TDateiTyp DateiTyp;
  const char16_t* RegSchluessel;
  const char16_t* Symbol;
  const char16_t* Anwendung;
};

// The types that open in one of the product's own programs; the icon is taken from the program.
constexpr AnwendungKonstante AnwendungsDateitypenKonstant[] = {
    {Datei_st3, u"Kiro.Strecke", u"KiroStreckeneditor.exe,1", u"KiroStreckeneditor.exe"},
    {Datei_ls3, u"Kiro.Landschaft", u"KiroLandschaftseditor.exe,1", u"KiroLandschaftseditor.exe"},
    {Datei_lod_ls3, u"Kiro.LODLandschaft", u"KiroLandschaftseditor.exe,2", u"KiroLandschaftseditor.exe"},
    {Datei_rv_fzg, u"Kiro.Fahrzeug", u"KiroFahrzeugeditor.exe,1", u"KiroFahrzeugeditor.exe"},
    {Datei_fzg, u"Kiro.Fahrzeugkomponente", u"KiroFahrzeugeditor.exe,2", u"KiroFahrzeugeditor.exe"},
    {Datei_ftd, u"Kiro.Fuehrerstand", u"KiroFuehrerstandeditor.exe,1", u"KiroFuehrerstandeditor.exe"},
    {Datei_fpn, u"Kiro.Fahrplan", u"KiroFahrplaneditor.exe,1", u"KiroFahrplaneditor.exe"},
    {Datei_trn, u"Kiro.Zug", u"KiroZugeditor.exe,1", u"KiroZugeditor.exe"},
    {Datei_zup, u"Kiro.Programmupdate", u"KiroUpdate.exe,1", u"KiroUpdate.exe"},
};
static_assert(std::size(AnwendungsDateitypenKonstant) == 9);

std::array<TUpdateDatei, 81> UpdateDateienKopieren() {
  std::array<TUpdateDatei, 81> a;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto& k = UpdateDateienKonstant[i];
    a[i] = {QString::fromUtf16(k.Klarname), QString::fromUtf16(k.Datei), QString::fromUtf16(k.Startmenue),
            k.Umfang, k.InstAuswahl, 0};
  }
  return a;
}

std::array<TAnwendungsDateityp, 9> AnwendungsDateitypenKopieren() {
  std::array<TAnwendungsDateityp, 9> a;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto& k = AnwendungsDateitypenKonstant[i];
    a[i] = {k.DateiTyp, QString::fromUtf16(k.RegSchluessel), QString::fromUtf16(k.Symbol),
            QString::fromUtf16(k.Anwendung)};
  }
  return a;
}

}  // namespace

std::array<TUpdateDatei, 81> UpdateDateien = UpdateDateienKopieren();
std::array<TAnwendungsDateityp, 9> AnwendungsDateitypen = AnwendungsDateitypenKopieren();

}  // namespace kiro
