#pragma once
// Install scripts: a data file whose content element "VerwaltungsScript" holds an ordered list
// of entries (file entries with size, versions, conditions and CRC-32, and file operations),
// and the engine that runs the entries one after another.
#include "datafiles/IndexListe.h"
#include "datafiles/KiroXMLKnoten.h"
#include "datafiles/KiroXMLObjekt.h"

#include "components/Anzeigen.h"
#include "components/Baumansicht.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kiro {

// Hands a file that is no program of its own (a document, a Windows ".exe") to the desktop's
// opener, which takes no arguments. False when the opener could not be started. Tests install
// a recorder; the default starts "xdg-open".
using TDesktopOeffner = std::function<bool(const QString& Pfad)>;
// Installs the opener; returns the previous one. An empty one restores the default.
TDesktopOeffner DesktopOeffnerSetzen(TDesktopOeffner Oeffner);

// Base of every script entry. An entry never stands as a file of its own: it reads its element
// from the script's running load and writes it into the script's running save.
class TScriptBasis : public TKiroXMLObjekt {
 public:
  // Carries out the entry. UpdInfo receives its lines, StBar shows the file being examined
  // (either may be nullptr); Indexliste is the script's file index, built or not. SVNModus:
  // single files are moved and deleted through "svn"; KeinPapierkorb: deleted files skip the
  // recycle bin; VerzDirekt: folders are deleted without asking.
  virtual void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                          bool KeinPapierkorb, bool VerzDirekt) = 0;

  // The byte count as GroesseAlsText writes it.
  static QString ByteAngabe(std::uint32_t Bytes);

  // Deletes the file at Pfad: through "svn delete" with SVNModus, else to the recycle bin with
  // Papierkorb, else for good. No file there: nothing happens. False when the file could not be
  // deleted (the line or box that says so is already shown).
  static bool DateiLoeschen(const QString& Pfad, IProtokollAnsicht* UpdInfo, bool SVNModus, bool Papierkorb);

 protected:
  // The full path of a script's file reference, through the checked join below its base folder.
  // A name that could leave that folder (also through a link in a folder on the way, or in the
  // last component with ZielFolgen), or that names the folder itself, gives one error line and
  // nullopt.
  static std::optional<QString> PfadPruefen(const TDatei& Datei, IProtokollAnsicht* UpdInfo, bool ZielFolgen = false);

  // Every entry passes the names it does not know on to here: an "ExterneDatei" of a script
  // that must not read further files is logged and skipped, everything else goes to the base.
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
};

// "NurVerschieben": moves or renames one file.
class TScriptNurVerschieben : public TScriptBasis {
 public:
  TDatei AlteDatei;  // child "AlterName"
  TDatei NeueDatei;  // child "NeuerName"

  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                  bool KeinPapierkorb, bool VerzDirekt) override;
  QString HtmlInfoErzeugen() override;

  // Moves AlteDatei to NeueDatei (through "svn add --parents" and "svn move" with SVNModus),
  // creating the target's folders. True when the file now is at its new place: also for a move
  // onto itself; false when the source is missing, a name is refused, the copy or the client
  // failed. Only UpdInfo and SVNModus are used.
  bool DateiVerschieben(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus);

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
  bool InhaltSchreiben(void* pDaten) override;
};

// Shared content of the operations that rewrite the references to a moved file.
class TScriptVerlinkungBasis : public TScriptNurVerschieben {
 public:
  TDatei BasisPfad;  // child "BasisPfad": folder below the own data folder that is searched
  QStringList FilterDateitypen;  // attribute "DateiTypen": extensions with their point; empty = all

  // Rewrites every "Dateiname" value that names AlteDatei to NeueDatei's name, in the files the
  // built index lists, else in the text-XML files below the own data folder's BasisPfad (a walk
  // that follows no link and stays on the start folder's mount). A file is rewritten only when
  // something changed and it was read whole and without loss; "%dx: %s" follows each rewrite.
  void VerlinkungenAktualisieren(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste);

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
  bool InhaltSchreiben(void* pDaten) override;

 private:
  struct TLauf;
  void VerzeichnisAnpassen(TLauf& Lauf, int OrdnerFd, const QByteArray& Ordner);
  void DateiAnpassen(TLauf& Lauf, const QString& Pfad);
  void DateiAnpassen(TLauf& Lauf, int OrdnerFd, const QByteArray& Ordner, const QByteArray& Name);
  bool DateitypPasst(const QString& Pfad) const;
  void VerweiseErsetzen(TLauf& Lauf, TKiroXMLKnoten& Knoten);
};

// "Verschieben": moves one file, then rewrites the references to it.
class TScriptVerschieben : public TScriptVerlinkungBasis {
 public:
  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                  bool KeinPapierkorb, bool VerzDirekt) override;
  QString HtmlInfoErzeugen() override;
};

// "NeuerLink": rewrites the references from one name to another; no file is moved.
class TScriptNeuerLink : public TScriptVerlinkungBasis {
 public:
  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                  bool KeinPapierkorb, bool VerzDirekt) override;
  QString HtmlInfoErzeugen() override;
};

// Base of the entries that name one file (child "Datei").
class TScriptEineDatei : public TScriptBasis {
 public:
  TDatei Datei;

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
  bool InhaltSchreiben(void* pDaten) override;
};

// "Loeschen": deletes one file or one folder tree.
class TScriptLoeschen : public TScriptEineDatei {
 public:
  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                  bool KeinPapierkorb, bool VerzDirekt) override;
  QString HtmlInfoErzeugen() override;
};

// "Ausfuehren": opens one file through the shell.
class TScriptAusfuehren : public TScriptEineDatei {
 public:
  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                  bool KeinPapierkorb, bool VerzDirekt) override;
  QString HtmlInfoErzeugen() override;

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
  bool InhaltSchreiben(void* pDaten) override;

  QString Fparam;  // attribute "exeParameter"
};

// "DateiInfo": one downloadable file. The installer uses Datei.Dateiname and Hashwert.
class TScriptDateiInfo : public TScriptEineDatei {
 public:
  std::uint8_t DateiArt = 0;  // 1 update, 2 add-on, 3 further accessory, 4 beta
  QString VersionAlt;
  QString Version;
  QString Dateibedingung;  // "inst\", "owndata\" or "data\" followed by a path
  bool Win32bit = false;
  bool Win64bit = false;
  QString MinWindows;
  QString MaxWindows;
  QString MinRegWert;
  QString MinRegVersion;
  QString URLWarnung;
  QString MinRegWert2;
  QString MinRegVersion2;
  QString URLWarnung2;
  bool AdminNoetig = false;
  TDateTime Datum;
  std::uint32_t Hashwert = 0;  // CRC-32 of the whole file
  std::int32_t Groesse = 0;    // bytes

  // "Hashwert" as read, before it was cut to 32 bits; 0 when the attribute was absent or held
  // no whole number. Not written: it lets a reader of downloaded scripts tell a CRC-32 from a
  // value that only became one by losing its upper bits.
  std::int64_t HashwertGelesen = 0;
  // False when the attribute's text was no whole number; an absent attribute reads as 0.
  bool HashwertUmgewandelt = true;

  // Does nothing: a file entry only describes.
  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool SVNModus,
                  bool KeinPapierkorb, bool VerzDirekt) override;
  QString HtmlInfoErzeugen() override;

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
  bool InhaltSchreiben(void* pDaten) override;
};

class TScript : public TKiroXMLObjekt {
 public:
  TScript();
  ~TScript() override;

  // The entries in document order; a further load appends behind them.
  std::vector<std::unique_ptr<TScriptBasis>> Kommandos;

  // Runs every entry in order: first the file index when IndexNoetig is set, then each entry
  // until the list ends (its length read anew before each entry) or the host's abort flag is
  // set. Exceptions of an entry reach the caller; what earlier entries did stays done.
  void Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, bool SVNModus, bool KeinPapierkorb,
                  bool VerzDirekt);

  // The entries as an HTML list (their texts escaped).
  QString HtmlInfoErzeugen() override;

  // For scripts from elsewhere (the update server): "ExterneDatei" names a file on this
  // computer, so it is not read but logged and listed here.
  void SetExterneDateienIgnorieren(bool Wert) { FExterneIgnorieren = Wert; }
  bool ExterneDateienIgnorieren() const { return FExterneIgnorieren; }
  const QStringList& IgnorierteExterneDateien() const { return FIgnorierteExterne; }
  // Logs and records one skipped "ExterneDatei" of this script or of one of its entries.
  void ExterneDateiIgnorieren(const QString& Name);

  // --- What can be installed: this script (the offered one) against the installation and the
  // local script that records what is installed. Only "DateiInfo" entries of kind 1 (update),
  // 2 (add-on), 3 (further accessory) and 4 (beta) take part. ---

  // The installable updates, add-ons, betas and accessories; no Windows, registry or
  // administrator condition applies here, and betas always count. True when any count is not 0.
  bool AnzahlInstallierbar(int& upd, int& add, int& beta, int& zub, const TScript& LokalesScript) const;
  // Adds the category nodes in front of Treeview's root nodes (the tree is not cleared) and one
  // node per offered package below them, then expands the tree. A node's data is the index of
  // its entry in Kommandos. NurSinnvolle: only applicable packages; betas: the beta category
  // too. WebBrowserInfo (may be nullptr) shows at most one warning page per call.
  void TreeViewFuellen(IBaumAnsicht& Treeview, bool NurSinnvolle, bool betas, const TScript& LokalesScript,
                       IWarnseite* WebBrowserInfo) const;
  // On the local script: the last non-empty Version, VersionAlt and non-zero Hashwert of the
  // entries of the kind (and of the name, ignoring case, unless Dateiname is ""), each on its own.
  QString InstVersionsinfo(const QString& Dateiname, std::uint8_t DateiArt, QString& VersionAlt,
                           std::uint32_t& Hashwert) const;
  // One line "date: version,  file" per file entry.
  void Versionsinfo(IProtokollAnsicht& RichEditQVUpdate) const;
  // Appends an entry for the file on disk (its bare name, CRC-32, size and the time now), then
  // removes every later entry that repeats an earlier one's name and CRC. False, with one log
  // line and nothing appended, when the file cannot be read.
  bool DateiInfoErgaenzen(const QString& DateinameAbsolut, const QString& Version, std::uint8_t DateiArt);
  // 0: not listed; 1: the first entry of that name (the bare names unless mitPfad) has the CRC
  // Hashwert, or Hashwert is 0; 2: it has another. ScriptHashwert gets that entry's CRC.
  std::uint8_t DateinameVorhanden(const QString& Dateiname, bool mitPfad, std::uint32_t Hashwert,
                                  std::uint32_t& ScriptHashwert) const;
  // Appends the listed files that are missing (or unreadable) in DatenverzeichnisOffiziell to
  // NichtDrin, and those whose CRC differs to AndereVersion.
  void NichtImBestand(QStringList& NichtDrin, QStringList& AndereVersion) const;

 protected:
  TParseErg InhaltLesen(TParse& PaInfo, void* pDaten) override;
  bool InhaltSchreiben(void* pDaten) override;

  bool IndexNoetig = false;  // attribute "IndexNoetig"
  TIndexListe IndexListe;    // built by Abarbeiten when IndexNoetig is set, never emptied here

 private:
  bool FExterneIgnorieren = false;
  QStringList FIgnorierteExterne;
};

}  // namespace kiro
