// What can be installed: the offered script's file entries against the installed program files
// (their PE versions or CRCs), the local script that records what is installed, the system facts
// and the registry conditions; plus the small queries a host runs on the local script.
#include "datafiles/Script.h"

#include "foundation/CRC32.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Formatieren.h"
#include "foundation/KiroTypen.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Systeminfo.h"
#include "platform/Registrierung.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cstdint>
#include <functional>

namespace kiro {

namespace {

enum : std::uint8_t { ArtUpdate = 1, ArtAddOn = 2, ArtZubehoer = 3, ArtBeta = 4 };

// The images of the host's list.
enum : int { BildKategorie = 0, BildNichtAnwendbar = 1, BildInstallierbar = 2, BildOhneAdmin = 3, BildUnbekannt = 4 };

const TScriptDateiInfo* AlsDateiInfo(const std::unique_ptr<TScriptBasis>& Kommando) {
  return dynamic_cast<const TScriptDateiInfo*>(Kommando.get());
}

// The name after the last "\" or "/".
QString BloserName(const QString& Pfad) {
  return Pfad.mid(std::max(Pfad.lastIndexOf(u'\\'), Pfad.lastIndexOf(u'/')) + 1);
}

// Rows that updates replace have element 0 in their set.
bool WirdAktualisiert(const TUpdateDatei& R) { return (R.Umfang & 1u) != 0; }

// The row's bare file name as it appears in the names of update packages: TOOL_EXE for Tool.exe.
bool MarkePasst(const TUpdateDatei& R, const TScriptDateiInfo& E) {
  const QString marke = BloserName(R.Datei).toUpper().replace(u'.', u'_');
  return !marke.isEmpty() && E.Datei.Dateiname.toUpper().contains(marke);
}

bool IstDatei(const std::optional<QString>& Pfad) { return Pfad && QFileInfo(*Pfad).isFile(); }

std::optional<QString> Programmdatei(const TUpdateDatei& R) {
  return SicherVerbindenOhneGrossKlein(Programmverzeichnis, R.Datei);
}

// Installed version V of the row's file: V must be the entry's old version; a file without
// version information is recognised by the row's CRC instead.
bool VersionPasst(const TScriptDateiInfo& E, const TUpdateDatei& R, const QString& V) {
  if (!V.isEmpty()) return E.VersionAlt == V;
  return R.Hashwert != 0 && R.Hashwert == E.Hashwert;
}

// The file a condition names by its folder prefix; nullopt (never there) for any other text and
// for a name that would leave its folder.
std::optional<QString> Bedingungsdatei(const QString& Bedingung) {
  const struct {
    QLatin1String Praefix;
    const QString& Ordner;
  } praefixe[] = {{QLatin1String("inst"), Programmverzeichnis},
                  {QLatin1String("owndata"), Datenverzeichnis},
                  {QLatin1String("data"), DatenverzeichnisOffiziell}};
  for (const auto& p : praefixe) {
    const qsizetype n = p.Praefix.size();
    if (Bedingung.size() > n && Bedingung.startsWith(p.Praefix, Qt::CaseInsensitive) &&
        (Bedingung[n] == u'\\' || Bedingung[n] == u'/'))
      return SicherVerbindenOhneGrossKlein(p.Ordner, Bedingung.mid(n + 1));
  }
  return std::nullopt;
}

QString AddOnStufe(const TScript& LokalesScript) {
  QString versionAlt;
  std::uint32_t hashwert = 0;
  return LokalesScript.InstVersionsinfo(QString(), ArtAddOn, versionAlt, hashwert);
}

// Not yet installed, and the thing it belongs to is there in a sufficient version.
bool ZubehoerAnwendbar(const TScriptDateiInfo& E, const TScript& LokalesScript) {
  QString versionAlt;
  std::uint32_t hashwert = 0;
  if (!LokalesScript.InstVersionsinfo(E.Datei.Dateiname, ArtZubehoer, versionAlt, hashwert).isEmpty() || hashwert != 0)
    return false;
  if (E.Dateibedingung.isEmpty()) return false;
  const std::optional<QString> datei = Bedingungsdatei(E.Dateibedingung);
  if (!IstDatei(datei)) return false;
  return E.VersionAlt.isEmpty() || VersionMindestens(DateiVersionLesen(*datei), E.VersionAlt);
}

QString Groessentext(const TScriptDateiInfo& E) {
  if (E.Groesse == 0) return {};
  return Formatieren(QStringLiteral("  (%s)"), {TScriptBasis::ByteAngabe(std::uint32_t(E.Groesse))});
}

// "root\key path\value name" holds a string value of at least version Minimum. Any root name
// but the seven means the current user's keys.
bool RegistrierungErfuellt(const QString& Bedingung, const QString& Minimum) {
  using platform::TRegWurzel;
  const qsizetype erster = Bedingung.indexOf(u'\\');
  if (erster < 0) {
    Protokollieren(QString(), Formatieren(QStringLiteral("Registrierungsbedingung \"%s\" ohne Schlüssel"), {Bedingung}),
                   2);
    return false;
  }
  const QString wurzelname = Bedingung.left(erster);
  TRegWurzel wurzel = TRegWurzel::CurrentUser;
  const struct {
    const char16_t* Name;
    TRegWurzel Wurzel;
  } wurzeln[] = {{u"HKEY_CLASSES_ROOT", TRegWurzel::ClassesRoot},
                 {u"HKEY_CURRENT_USER", TRegWurzel::CurrentUser},
                 {u"HKEY_LOCAL_MACHINE", TRegWurzel::LocalMachine},
                 {u"HKEY_USERS", TRegWurzel::Users},
                 {u"HKEY_PERFORMANCE_DATA", TRegWurzel::PerformanceData},
                 {u"HKEY_CURRENT_CONFIG", TRegWurzel::CurrentConfig},
                 {u"HKEY_DYN_DATA", TRegWurzel::DynData}};
  for (const auto& w : wurzeln)
    if (wurzelname == QStringView(w.Name)) wurzel = w.Wurzel;
  const QString rest = Bedingung.mid(erster + 1);
  const qsizetype letzter = rest.lastIndexOf(u'\\');
  const QString schluessel = letzter < 0 ? QString() : rest.left(letzter);
  const QString wertname = rest.mid(letzter + 1);
  const platform::TRegWert wert = platform::Registrierung().WertLesen(wurzel, schluessel, wertname);
  switch (wert.Art) {
    case platform::TRegWert::Fehlt:
      return false;
    case platform::TRegWert::KeinText:
      // Unreadable as text: the condition fails and the rest of the tree is still filled.
      Protokollieren(QString(),
                     Formatieren(QStringLiteral("Registrierungswert \"%s\" ist kein Text (%s)"), {Bedingung, wert.Typ}),
                     2);
      return false;
    case platform::TRegWert::Text:
      break;
  }
  return Minimum.isEmpty() || VersionMindestens(wert.Wert, Minimum);
}

// The system conditions of an entry in their order; Warnen shows a page at most once per fill.
bool SystemBedingungenErfuellt(const TScriptDateiInfo& E, const std::function<void(const QString&)>& Warnen) {
  if (E.Win32bit && IstWindows64()) return false;
  if (E.Win64bit && !IstWindows64()) return false;
  // Without a Windows version (as here) there is nothing to hold the entry back.
  const QString windows = WindowsVersionNummer();
  if (!windows.isEmpty()) {
    if (!E.MinWindows.isEmpty() && !VersionMindestens(windows, E.MinWindows)) return false;
    if (!E.MaxWindows.isEmpty() && !VersionMindestens(E.MaxWindows, windows)) return false;
  }
  bool erfuellt = E.MinRegWert.isEmpty() || RegistrierungErfuellt(E.MinRegWert, E.MinRegVersion);
  if (erfuellt && !E.MinRegWert2.isEmpty() && !RegistrierungErfuellt(E.MinRegWert2, E.MinRegVersion2)) {
    erfuellt = false;
    Warnen(E.URLWarnung2);
  }
  if (!erfuellt) Warnen(E.URLWarnung);
  return erfuellt;
}

// The system's date and time form; the time is left out at exactly midnight.
QString DatumZeitText(const TDateTime& Datum) {
  const QLocale ort;
  const QString datum = ort.toString(Datum.Datum(), QLocale::ShortFormat);
  const QTime zeit = Datum.Zeit();
  if (zeit == QTime(0, 0)) return datum;
  // The long form has the seconds; its time zone belongs to no stored date.
  static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
  const QString form = ort.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
  return datum + u' ' + ort.toString(zeit, form);
}

}  // namespace

QString TScript::InstVersionsinfo(const QString& Dateiname, std::uint8_t DateiArt, QString& VersionAlt,
                                  std::uint32_t& Hashwert) const {
  VersionAlt.clear();
  Hashwert = 0;
  QString version;
  const QString gesucht = Dateiname.toUpper();
  for (const auto& k : Kommandos) {
    const TScriptDateiInfo* e = AlsDateiInfo(k);
    if (!e || e->DateiArt != DateiArt) continue;
    if (!Dateiname.isEmpty() && e->Datei.Dateiname.toUpper() != gesucht) continue;
    if (!e->Version.isEmpty()) version = e->Version;
    if (!e->VersionAlt.isEmpty()) VersionAlt = e->VersionAlt;
    if (e->Hashwert != 0) Hashwert = e->Hashwert;
  }
  return version;
}

bool TScript::AnzahlInstallierbar(int& upd, int& add, int& beta, int& zub, const TScript& LokalesScript) const {
  const QString addOnStufe = AddOnStufe(LokalesScript);
  upd = add = beta = zub = 0;
  for (const auto& k : Kommandos) {
    const TScriptDateiInfo* e = AlsDateiInfo(k);
    if (!e) continue;
    switch (e->DateiArt) {
      case ArtUpdate:
      case ArtBeta:
        for (const TUpdateDatei& r : UpdateDateien) {
          if (!WirdAktualisiert(r) || !MarkePasst(r, *e)) continue;
          const std::optional<QString> datei = Programmdatei(r);
          if (!IstDatei(datei) || !VersionPasst(*e, r, DateiVersionLesen(*datei))) continue;
          ++(e->DateiArt == ArtUpdate ? upd : beta);
        }
        break;
      case ArtAddOn:
        if (e->VersionAlt == addOnStufe) ++add;
        break;
      case ArtZubehoer:
        if (ZubehoerAnwendbar(*e, LokalesScript)) ++zub;
        break;
      default:
        break;
    }
  }
  return upd != 0 || add != 0 || beta != 0 || zub != 0;
}

void TScript::TreeViewFuellen(IBaumAnsicht& Treeview, bool NurSinnvolle, bool betas, const TScript& LokalesScript,
                              IWarnseite* WebBrowserInfo) const {
  const QString addOnStufe = AddOnStufe(LokalesScript);
  // Each goes in front, so from the top: Updates, Add-Ons, further accessories, Beta.
  IBaumAnsicht::TKnoten knotenBeta = nullptr;
  if (betas) knotenBeta = Treeview.WurzelVorneEinfuegen(Text(QStringLiteral("Script.Beta")), BildKategorie);
  const IBaumAnsicht::TKnoten knotenWeiteres =
      Treeview.WurzelVorneEinfuegen(Text(QStringLiteral("Script.Weiteres")), BildKategorie);
  const IBaumAnsicht::TKnoten knotenAddOns =
      Treeview.WurzelVorneEinfuegen(Text(QStringLiteral("Script.AddOns")), BildKategorie);
  const IBaumAnsicht::TKnoten knotenUpdates =
      Treeview.WurzelVorneEinfuegen(Text(QStringLiteral("Script.Updates")), BildKategorie);

  bool seiteGezeigt = false;
  const auto warnen = [&](const QString& Adresse) {
    if (!WebBrowserInfo || Adresse.isEmpty() || seiteGezeigt) return;
    WebBrowserInfo->Zeigen(Adresse);
    seiteGezeigt = true;
  };
  const bool administrator = IstAdministrator();

  for (std::size_t i = 0; i < Kommandos.size(); ++i) {
    const TScriptDateiInfo* e = AlsDateiInfo(Kommandos[i]);
    if (!e) continue;
    const QString text = BloserName(e->Datei.Dateiname) + Groessentext(*e);
    const int installierbar = e->AdminNoetig && !administrator ? BildOhneAdmin : BildInstallierbar;
    const auto knoten = [&](IBaumAnsicht::TKnoten Kategorie, int Bild) {
      Treeview.KindAnhaengen(Kategorie, text, Bild, int(i));
    };
    switch (e->DateiArt) {
      case ArtUpdate:
      case ArtBeta: {
        if (e->DateiArt == ArtBeta && !betas) break;
        const IBaumAnsicht::TKnoten kategorie = e->DateiArt == ArtUpdate ? knotenUpdates : knotenBeta;
        for (const TUpdateDatei& r : UpdateDateien) {
          if (!WirdAktualisiert(r)) continue;
          const std::optional<QString> datei = Programmdatei(r);
          const bool vorhanden = IstDatei(datei);
          if (!vorhanden && NurSinnvolle) continue;
          if (!MarkePasst(r, *e)) continue;
          if (!SystemBedingungenErfuellt(*e, warnen)) continue;
          const QString v = vorhanden ? DateiVersionLesen(*datei) : QString();
          const bool passt = VersionPasst(*e, r, v);
          const bool unbekannt = v.isEmpty() && r.Hashwert == 0;
          if (passt || !NurSinnvolle || unbekannt)
            knoten(kategorie, passt ? installierbar : unbekannt ? BildUnbekannt : BildNichtAnwendbar);
        }
        break;
      }
      case ArtAddOn: {
        const bool passt = e->VersionAlt == addOnStufe;
        if (passt || !NurSinnvolle) knoten(knotenAddOns, passt ? installierbar : BildNichtAnwendbar);
        break;
      }
      case ArtZubehoer: {
        const bool anwendbar = ZubehoerAnwendbar(*e, LokalesScript);
        if (anwendbar || !NurSinnvolle) knoten(knotenWeiteres, anwendbar ? installierbar : BildNichtAnwendbar);
        break;
      }
      default:
        break;
    }
  }
  Treeview.AllesAufklappen();
}

void TScript::Versionsinfo(IProtokollAnsicht& RichEditQVUpdate) const {
  for (const auto& k : Kommandos) {
    const TScriptDateiInfo* e = AlsDateiInfo(k);
    if (!e) continue;
    RichEditQVUpdate.Eintrag(
        Formatieren(QStringLiteral("%s: %s,  %s"), {DatumZeitText(e->Datum), e->Version, e->Datei.Dateiname}));
  }
}

bool TScript::DateiInfoErgaenzen(const QString& DateinameAbsolut, const QString& Version, std::uint8_t DateiArt) {
  const std::optional<TDateiPruefsumme> summe = DateiCRC32Lesen(DateinameAbsolut);
  if (!summe) {
    // A CRC of 0 would stand for an empty file and could match or remove the wrong entry.
    Protokollieren(QString(),
                   Formatieren(QStringLiteral("Datei \"%s\" nicht lesbar, nicht ins Script aufgenommen"), {DateinameAbsolut}),
                   2);
    return false;
  }
  auto eintrag = std::make_unique<TScriptDateiInfo>();
  eintrag->Datei.Dateiname = BloserName(DateinameAbsolut);
  eintrag->DateiArt = DateiArt;
  eintrag->Version = Version;
  eintrag->Datum = TDateTime::AusQDateTime(QDateTime::currentDateTime());
  eintrag->Hashwert = summe->Crc;
  // The field holds 32 signed bits: a size it cannot hold is recorded as unknown, not wrapped
  // into a wrong one.
  if (summe->Groesse <= std::uint64_t(INT32_MAX)) {
    eintrag->Groesse = std::int32_t(summe->Groesse);
  } else {
    eintrag->Groesse = 0;
    Protokollieren(QString(),
                   Formatieren(QStringLiteral("Datei \"%s\" ist %s Bytes groß, als Größe unbekannt (0) aufgenommen"),
                               {DateinameAbsolut, QString::number(summe->Groesse)}),
                   5);
  }
  Kommandos.push_back(std::move(eintrag));

  // The earlier entry stays. Two files of equal content under different names are two installed
  // files, so the name must agree as well as the CRC.
  for (std::size_t p = 0; p < Kommandos.size(); ++p) {
    const TScriptDateiInfo* erster = AlsDateiInfo(Kommandos[p]);
    if (!erster) continue;
    const QString name = erster->Datei.Dateiname.toUpper();
    for (std::size_t q = p + 1; q < Kommandos.size();) {
      const TScriptDateiInfo* spaeter = AlsDateiInfo(Kommandos[q]);
      if (spaeter && spaeter->Hashwert == erster->Hashwert && spaeter->Datei.Dateiname.toUpper() == name)
        Kommandos.erase(Kommandos.begin() + std::ptrdiff_t(q));
      else
        ++q;
    }
  }
  return true;
}

std::uint8_t TScript::DateinameVorhanden(const QString& Dateiname, bool mitPfad, std::uint32_t Hashwert,
                                         std::uint32_t& ScriptHashwert) const {
  ScriptHashwert = 0;
  const QString gesucht = (mitPfad ? Dateiname : BloserName(Dateiname)).toUpper();
  for (const auto& k : Kommandos) {
    const TScriptDateiInfo* e = AlsDateiInfo(k);
    if (!e) continue;
    const QString name = (mitPfad ? e->Datei.Dateiname : BloserName(e->Datei.Dateiname)).toUpper();
    if (name != gesucht) continue;
    ScriptHashwert = e->Hashwert;
    return Hashwert == 0 || Hashwert == e->Hashwert ? 1 : 2;
  }
  return 0;
}

void TScript::NichtImBestand(QStringList& NichtDrin, QStringList& AndereVersion) const {
  for (const auto& k : Kommandos) {
    const TScriptDateiInfo* e = AlsDateiInfo(k);
    if (!e) continue;
    const std::optional<QString> pfad = SicherVerbindenOhneGrossKlein(DatenverzeichnisOffiziell, e->Datei.Dateiname);
    // A file that cannot be read is not in the holdings: its CRC would be a made-up 0.
    const std::optional<TDateiPruefsumme> summe = pfad ? DateiCRC32Lesen(*pfad) : std::nullopt;
    if (!summe)
      NichtDrin << e->Datei.Dateiname;
    else if (summe->Crc != e->Hashwert)
      AndereVersion << e->Datei.Dateiname;
  }
}

}  // namespace kiro
