// Install scripts: reading and writing the entries, the engine loop and the HTML description.
#include "datafiles/Script.h"

#include <QRegularExpression>

#include "datafiles/Abbruch.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Einstellungen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"

namespace kiro {

namespace {

bool IstKnoten(const TParse& PaInfo) { return PaInfo.Wert == QStringView(KnotenMarke); }
bool IstAttribut(const TParse& PaInfo, const char16_t* Name) { return !IstKnoten(PaInfo) && PaInfo.Kennung == Name; }
// Elements of these names are read by calling the reader again; an attribute of the same name
// must not be, or the rest of the enclosing element would be taken for its content.
bool IstElement(const TParse& PaInfo, const char16_t* Name) { return IstKnoten(PaInfo) && PaInfo.Kennung == Name; }

bool DokuModus() { return Einstellungen && Einstellungen->DokuModus; }

// --- the semicolon list of "DateiTypen", as the product's string lists read and write it ---

bool Trennzeichen(QChar c) { return c.unicode() >= 1 && c.unicode() <= u' '; }

QString ListeAlsText(const QStringList& Liste) {
  if (Liste.size() == 1 && Liste.first().isEmpty()) return QStringLiteral("\"\"");
  QStringList teile;
  for (const QString& s : Liste) {
    bool zitieren = false;
    for (QChar c : s)
      if (c.unicode() <= u' ' || c == u'"' || c == u';') zitieren = true;
    teile << (zitieren ? u'"' + QString(s).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"' : s);
  }
  return teile.join(u';');
}

QStringList TextAlsListe(const QString& Text) {
  QStringList liste;
  const qsizetype n = Text.size();
  qsizetype p = 0;
  auto zeichen = [&](qsizetype i) { return i < n ? Text[i] : QChar(); };
  while (p < n && Trennzeichen(Text[p])) ++p;
  while (p < n) {
    QString s;
    if (Text[p] == u'"') {
      ++p;
      while (p < n) {
        if (Text[p] == u'"') {
          ++p;
          if (zeichen(p) != u'"') break;
        }
        s += Text[p];
        ++p;
      }
    } else {
      const qsizetype anfang = p;
      while (p < n && Text[p].unicode() > u' ' && Text[p] != u';') ++p;
      s = Text.mid(anfang, p - anfang);
    }
    liste << s;
    while (p < n && Trennzeichen(Text[p])) ++p;
    if (zeichen(p) == u';') {
      if (p + 1 >= n) liste << QString();
      do ++p;
      while (p < n && Trennzeichen(Text[p]));
    }
  }
  return liste;
}

template <class T>
void NeuSchreiben(const QString& Knotenname, TKiroXMLObjekt* Skript) {
  T beispiel;
  beispiel.SpeichernOffeneDatei(Knotenname, Skript, nullptr);
}

}  // namespace

// --- TScriptBasis ---

QString TScriptBasis::ByteAngabe(std::uint32_t Bytes) { return GroesseAlsText(Bytes); }

TParseErg TScriptBasis::InhaltLesen(TParse& PaInfo, void* pDaten) {
  // An entry is read only as part of its script, which is its outer document.
  if (IstAttribut(PaInfo, u"ExterneDatei")) {
    if (auto* skript = dynamic_cast<TScript*>(FremdeXMLDatei); skript && skript->ExterneDateienIgnorieren()) {
      skript->ExterneDateiIgnorieren(PaInfo.Wert);
      return ParseOK;
    }
  }
  return TKiroXMLObjekt::InhaltLesen(PaInfo, pDaten);
}

// --- TScriptNurVerschieben ---

TParseErg TScriptNurVerschieben::InhaltLesen(TParse& PaInfo, void* pDaten) {
  (void)pDaten;
  if (IstElement(PaInfo, u"AlterName")) {
    KnotenLesen(&AlteDatei, Leser(&TScriptNurVerschieben::DateiEintragLesen));
    return ParseOK;
  }
  if (IstElement(PaInfo, u"NeuerName")) {
    KnotenLesen(&NeueDatei, Leser(&TScriptNurVerschieben::DateiEintragLesen));
    return ParseOK;
  }
  return TScriptBasis::InhaltLesen(PaInfo, pDaten);
}

bool TScriptNurVerschieben::InhaltSchreiben(void* pDaten) {
  TScriptBasis::InhaltSchreiben(pDaten);
  KnotenSchreiben(QStringLiteral("AlterName"), &AlteDatei, Schreiber(&TScriptNurVerschieben::DateiEintragSchreiben));
  KnotenSchreiben(QStringLiteral("NeuerName"), &NeueDatei, Schreiber(&TScriptNurVerschieben::DateiEintragSchreiben));
  return true;
}

QString TScriptNurVerschieben::HtmlInfoErzeugen() {
  return Formatieren(QStringLiteral("Nur verschieben %s -> %s"), {AlteDatei.Dateiname, NeueDatei.Dateiname});
}

// --- TScriptVerlinkungBasis ---

TParseErg TScriptVerlinkungBasis::InhaltLesen(TParse& PaInfo, void* pDaten) {
  if (IstAttribut(PaInfo, u"DateiTypen")) {
    FilterDateitypen = TextAlsListe(PaInfo.Wert);
    return ParseOK;
  }
  if (IstElement(PaInfo, u"BasisPfad")) {
    KnotenLesen(&BasisPfad, Leser(&TScriptVerlinkungBasis::DateiEintragLesen));
    return ParseOK;
  }
  return TScriptNurVerschieben::InhaltLesen(PaInfo, pDaten);
}

bool TScriptVerlinkungBasis::InhaltSchreiben(void* pDaten) {
  Schreibe(QStringLiteral("DateiTypen"), FilterDateitypen.isEmpty() ? QString() : ListeAlsText(FilterDateitypen));
  TScriptNurVerschieben::InhaltSchreiben(pDaten);
  KnotenSchreiben(QStringLiteral("BasisPfad"), &BasisPfad, Schreiber(&TScriptVerlinkungBasis::DateiEintragSchreiben));
  return true;
}

// --- TScriptVerschieben, TScriptNeuerLink ---

void TScriptVerschieben::Abarbeiten(IProtokollAnsicht*, IStatusAnzeige*, TIndexListe&, bool, bool, bool) {
  // The move and the reference update are not part of this library yet.
}

QString TScriptVerschieben::HtmlInfoErzeugen() {
  return Formatieren(QStringLiteral("Verschieben %s -> %s"), {AlteDatei.Dateiname, NeueDatei.Dateiname});
}

void TScriptNeuerLink::Abarbeiten(IProtokollAnsicht*, IStatusAnzeige*, TIndexListe&, bool, bool, bool) {
  // The reference update is not part of this library yet.
}

QString TScriptNeuerLink::HtmlInfoErzeugen() {
  return Formatieren(QStringLiteral("Neuer Link %s -> %s"), {AlteDatei.Dateiname, NeueDatei.Dateiname});
}

// --- TScriptEineDatei ---

TParseErg TScriptEineDatei::InhaltLesen(TParse& PaInfo, void* pDaten) {
  if (IstElement(PaInfo, u"Datei")) {
    KnotenLesen(&Datei, Leser(&TScriptEineDatei::DateiEintragLesen));
    return ParseOK;
  }
  return TScriptBasis::InhaltLesen(PaInfo, pDaten);
}

bool TScriptEineDatei::InhaltSchreiben(void* pDaten) {
  TScriptBasis::InhaltSchreiben(pDaten);
  KnotenSchreiben(QStringLiteral("Datei"), &Datei, Schreiber(&TScriptEineDatei::DateiEintragSchreiben));
  return true;
}

// --- TScriptLoeschen ---

QString TScriptLoeschen::HtmlInfoErzeugen() { return Formatieren(QStringLiteral("Löschen %s"), {Datei.Dateiname}); }

// --- TScriptAusfuehren ---

TParseErg TScriptAusfuehren::InhaltLesen(TParse& PaInfo, void* pDaten) {
  if (IstAttribut(PaInfo, u"exeParameter")) {
    Fparam = PaInfo.Wert;
    return ParseOK;
  }
  return TScriptEineDatei::InhaltLesen(PaInfo, pDaten);
}

bool TScriptAusfuehren::InhaltSchreiben(void* pDaten) {
  Schreibe(QStringLiteral("exeParameter"), Fparam);
  return TScriptEineDatei::InhaltSchreiben(pDaten);
}

QString TScriptAusfuehren::HtmlInfoErzeugen() {
  return Formatieren(QStringLiteral("Ausführen %s (%s)"), {Datei.Dateiname, Fparam});
}

// --- TScriptDateiInfo ---

TParseErg TScriptDateiInfo::InhaltLesen(TParse& PaInfo, void* pDaten) {
  if (IstKnoten(PaInfo)) return TScriptEineDatei::InhaltLesen(PaInfo, pDaten);
  const QString& k = PaInfo.Kennung;
  const QString& w = PaInfo.Wert;
  if (k == u"DateiInfoDateiArt")
    DateiArt = std::uint8_t(StrToIntSicher(w));
  else if (k == u"DateiInfoVersionAlt")
    VersionAlt = w;
  else if (k == u"DateiInfoVersion")
    Version = w;
  else if (k == u"DateiInfoDateibedingung")
    Dateibedingung = w;
  else if (k == u"DateiInfoAdminNoetig")
    AdminNoetig = StrToBoolEins(w);
  else if (k == u"Datum")
    Datum = TextZuZeitDatumSekunden(w);
  else if (k == u"Hashwert") {
    HashwertGelesen = StrToInt64Sicher(w);
    Hashwert = std::uint32_t(static_cast<std::uint64_t>(HashwertGelesen));
    // 0 is a CRC-32 too (an empty file's); only a text that gave 0 without being a zero failed.
    HashwertUmgewandelt = HashwertGelesen != 0 || QRegularExpression(QStringLiteral("^\\s*[+-]?0+\\s*$")).match(w).hasMatch();
  } else if (k == u"Groesse")
    Groesse = StrToIntSicher(w);
  else if (k == u"Win32bit")
    Win32bit = StrToBoolEins(w);
  else if (k == u"Win64bit")
    Win64bit = StrToBoolEins(w);
  else if (k == u"MinWindows")
    MinWindows = w;
  else if (k == u"MaxWindows")
    MaxWindows = w;
  else if (k == u"MinRegWert")
    MinRegWert = w;
  else if (k == u"MinRegVersion")
    MinRegVersion = w;
  else if (k == u"URLWarnung")
    URLWarnung = w;
  else if (k == u"MinRegWert2")
    MinRegWert2 = w;
  else if (k == u"MinRegVersion2")
    MinRegVersion2 = w;
  else if (k == u"URLWarnung2")
    URLWarnung2 = w;
  else
    return TScriptEineDatei::InhaltLesen(PaInfo, pDaten);
  return ParseOK;
}

bool TScriptDateiInfo::InhaltSchreiben(void* pDaten) {
  SchreibeInt(QStringLiteral("DateiInfoDateiArt"), DateiArt);
  Schreibe(QStringLiteral("DateiInfoVersionAlt"), VersionAlt);
  Schreibe(QStringLiteral("DateiInfoVersion"), Version);
  Schreibe(QStringLiteral("DateiInfoDateibedingung"), Dateibedingung);
  SchreibeBool(QStringLiteral("DateiInfoAdminNoetig"), AdminNoetig);
  SchreibeZeitDatum(QStringLiteral("Datum"), Datum, false);
  SchreibeInt64(QStringLiteral("Hashwert"), std::int64_t(Hashwert));
  SchreibeInt(QStringLiteral("Groesse"), Groesse);
  SchreibeBool(QStringLiteral("Win32bit"), Win32bit);
  SchreibeBool(QStringLiteral("Win64bit"), Win64bit);
  Schreibe(QStringLiteral("MinWindows"), MinWindows);
  Schreibe(QStringLiteral("MaxWindows"), MaxWindows);
  Schreibe(QStringLiteral("MinRegWert"), MinRegWert);
  Schreibe(QStringLiteral("MinRegVersion"), MinRegVersion);
  Schreibe(QStringLiteral("URLWarnung"), URLWarnung);
  Schreibe(QStringLiteral("MinRegWert2"), MinRegWert2);
  Schreibe(QStringLiteral("MinRegVersion2"), MinRegVersion2);
  Schreibe(QStringLiteral("URLWarnung2"), URLWarnung2);
  return TScriptEineDatei::InhaltSchreiben(pDaten);
}

void TScriptDateiInfo::Abarbeiten(IProtokollAnsicht*, IStatusAnzeige*, TIndexListe&, bool, bool, bool) {}

QString TScriptDateiInfo::HtmlInfoErzeugen() { return Formatieren(QStringLiteral("Datei-Info %s"), {Datei.Dateiname}); }

// --- TScript ---

TScript::TScript() { FDateiTyp = Datei_script_xml; }

TScript::~TScript() = default;

TParseErg TScript::InhaltLesen(TParse& PaInfo, void* pDaten) {
  if (IstAttribut(PaInfo, u"IndexNoetig")) {
    IndexNoetig = StrToBoolEins(PaInfo.Wert);
    return ParseOK;
  }
  if (IstAttribut(PaInfo, u"ExterneDatei") && FExterneIgnorieren) {
    ExterneDateiIgnorieren(PaInfo.Wert);
    return ParseOK;
  }
  std::unique_ptr<TScriptBasis> eintrag;
  if (IstKnoten(PaInfo)) {
    const QString& k = PaInfo.Kennung;
    if (k == u"NurVerschieben")
      eintrag = std::make_unique<TScriptNurVerschieben>();
    else if (k == u"Verschieben")
      eintrag = std::make_unique<TScriptVerschieben>();
    else if (k == u"Loeschen")
      eintrag = std::make_unique<TScriptLoeschen>();
    else if (k == u"Ausfuehren")
      eintrag = std::make_unique<TScriptAusfuehren>();
    else if (k == u"NeuerLink")
      eintrag = std::make_unique<TScriptNeuerLink>();
    else if (k == u"DateiInfo")
      eintrag = std::make_unique<TScriptDateiInfo>();
  }
  if (!eintrag) return TKiroXMLObjekt::InhaltLesen(PaInfo, pDaten);
  // Appended first, so that an exception while it reads leaves nothing unowned.
  Kommandos.push_back(std::move(eintrag));
  Kommandos.back()->LadenOffeneDatei(this, nullptr);
  return ParseOK;
}

bool TScript::InhaltSchreiben(void* pDaten) {
  (void)pDaten;
  if (DokuModus()) {
    NeuSchreiben<TScriptNeuerLink>(QStringLiteral("NeuerLink"), this);
    NeuSchreiben<TScriptVerschieben>(QStringLiteral("Verschieben"), this);
    NeuSchreiben<TScriptNurVerschieben>(QStringLiteral("NurVerschieben"), this);
    NeuSchreiben<TScriptLoeschen>(QStringLiteral("Loeschen"), this);
    NeuSchreiben<TScriptAusfuehren>(QStringLiteral("Ausfuehren"), this);
    NeuSchreiben<TScriptDateiInfo>(QStringLiteral("DateiInfo"), this);
    return true;
  }
  SchreibeBool(QStringLiteral("IndexNoetig"), IndexNoetig);
  for (const auto& eintrag : Kommandos) {
    TScriptBasis* e = eintrag.get();
    QString name;
    // Most derived first: a Verschieben or NeuerLink is also a NurVerschieben.
    if (dynamic_cast<TScriptNeuerLink*>(e))
      name = QStringLiteral("NeuerLink");
    else if (dynamic_cast<TScriptVerschieben*>(e))
      name = QStringLiteral("Verschieben");
    else if (dynamic_cast<TScriptNurVerschieben*>(e))
      name = QStringLiteral("NurVerschieben");
    else if (dynamic_cast<TScriptLoeschen*>(e))
      name = QStringLiteral("Loeschen");
    else if (dynamic_cast<TScriptAusfuehren*>(e))
      name = QStringLiteral("Ausfuehren");
    else if (dynamic_cast<TScriptDateiInfo*>(e))
      name = QStringLiteral("DateiInfo");
    if (name.isEmpty()) {
      Protokollieren(QString(), QStringLiteral("TScript.Schreiben unvollständig"), 0);
      continue;
    }
    e->SpeichernOffeneDatei(name, this, nullptr);
  }
  return !Kommandos.empty();
}

void TScript::Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, bool SVNModus, bool KeinPapierkorb,
                         bool VerzDirekt) {
  if (IndexNoetig) {
    if (UpdInfo) UpdInfo->Eintrag(Text(QStringLiteral("Script.IndexErstellen")));
    EreignisseVerarbeiten();
    IndexListe.Aufbauen(StBar);
    if (UpdInfo) UpdInfo->Eintrag(Text(QStringLiteral("Script.IndexErstellt")));
    EreignisseVerarbeiten();
  }
  // The length is read anew before every entry: an entry (or a host's event handler) may
  // change the list while the run goes on.
  for (std::size_t i = 0; i < Kommandos.size() && !AbbruchVerlangt(); ++i) {
    Kommandos[i]->Abarbeiten(UpdInfo, StBar, IndexListe, SVNModus, KeinPapierkorb, VerzDirekt);
    EreignisseVerarbeiten();
  }
}

QString TScript::HtmlInfoErzeugen() {
  QString html = QStringLiteral(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head><body>"
      "<font face=\"Verdana\"><p><ul><font size=\"2\">");
  // The entries' texts hold file names and parameters from the file, not markup.
  for (const auto& eintrag : Kommandos)
    html += QStringLiteral("<li>") + eintrag->HtmlInfoErzeugen().toHtmlEscaped() + QStringLiteral("</li>");
  html += QStringLiteral("</font></ul></p></font></body></html>");
  return html;
}

void TScript::ExterneDateiIgnorieren(const QString& Name) {
  FIgnorierteExterne << Name;
  Protokollieren(QString(),
                 Formatieren(QStringLiteral("ExterneDatei \"%s\" in Datei \"%s\" nicht gelesen: das Script darf keine "
                                            "weiteren Dateien einbinden"),
                             {Name, FDateiInfo.Dateiname}),
                 2);
}

}  // namespace kiro
