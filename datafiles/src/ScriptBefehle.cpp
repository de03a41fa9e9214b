// The install-script entries that act on files: move ("NurVerschieben"), delete ("Loeschen") and
// open ("Ausfuehren"). Every name passes the checked join below its base folder first; in the
// versioned mode single files go through the "svn" client so that the working copy records it.
#include "datafiles/Script.h"
#include "KiroXMLObjektIntern.h"

#include "datafiles/Abbruch.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Kern.h"
#include "foundation/Startbar.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Programmlauf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace {

TDesktopOeffner& Oeffner() {
  static TDesktopOeffner oeffner;
  return oeffner;
}

void Zeile(IProtokollAnsicht* UpdInfo, const QString& Text, TZeilenFarbe Farbe) {
  if (UpdInfo) UpdInfo->Eintrag(Text, Farbe);
}

QString Zitiert(const QString& Pfad) { return u'"' + Pfad + u'"'; }

// The path without a trailing separator, as the client and the log lines take it.
QString OhneTrenner(QString Pfad) {
  while (Pfad.size() > 1 && Pfad.endsWith(u'/')) Pfad.chop(1);
  return Pfad;
}

QByteArray Nativ(const QString& Pfad) { return QFile::encodeName(Pfad); }

std::optional<struct stat> Status(const QString& Pfad) {
  struct stat st{};
  if (::lstat(Nativ(Pfad).constData(), &st) != 0) return std::nullopt;
  return st;
}

// The client's path arguments are absolute: its working folder then plays no part.
QString Absolut(const QString& Pfad) { return OhneTrenner(QFileInfo(Pfad).absoluteFilePath()); }

// The client reads what follows the last "@" of a path it looks up as a revision ("Zug@2.ls");
// an "@" at the end makes it take the path as written.
QString Woertlich(const QString& Pfad) { return Pfad + u'@'; }
// The target of a move is never looked up, so a final "@" would stay in its name; but an "@"
// that begins the last component still makes the client join what follows to the folder above
// ("A/@x" became "A@x"). The client looks for the revision only behind the last "/": a final
// "/", which it drops, keeps every "@" of the name as written.
QString WoertlichZiel(const QString& Pfad) { return Pfad.section(u'/', -1).contains(u'@') ? Pfad + u'/' : Pfad; }

// One client run; the caller's abort flag ends it, and the engine's window stays alive meanwhile.
TProgrammErgebnis Svn(const QString& Verzeichnis, const QStringList& Parameter, bool FehlschlagMelden = true) {
  TProgrammOptionen o;
  o.FehlschlagMelden = FehlschlagMelden;
  o.Abbrechen = [] {
    EreignisseVerarbeiten();
    return AbbruchVerlangt();
  };
  QStringList p{Parameter.first(), QStringLiteral("--non-interactive")};
  p += Parameter.mid(1);
  return ProgrammAusfuehren(Verzeichnis, QStringLiteral("svn"), p, o);
}

// The client failed: the runner has logged its words; the user is told once per failure.
void SvnFehlerZeigen() { MeldungZeigen(QStringLiteral("SVN-Fehler"), TMsgDlgType::mtWarning, mbOK, 0); }

// Copies Quelle to a fresh name beside Ziel, syncs it and renames it over Ziel: a failure leaves
// Ziel as it was, and nothing is written through a link planted at either name.
bool KopierenUndErsetzen(const QString& Quelle, const QString& Ziel) {
  const int ein = ::open(Nativ(Quelle).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (ein < 0) return false;
  struct stat st{};
  if (::fstat(ein, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(ein);
    return false;
  }
  std::string temp;
  const int aus = FrischeTempdatei(Nativ(Ziel).toStdString(), st.st_mode & 07777, temp);
  if (aus < 0) {
    ::close(ein);
    return false;
  }
  bool ok = BesitzUebernehmen(aus, st);
  char puffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(ein, puffer, sizeof puffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (!AllesSchreiben(aus, puffer, std::size_t(n))) {
      ok = false;
      break;
    }
  }
  ::close(ein);
  // As "mv" does: the file keeps its modification time (its mode came with the creation).
  const timespec zeiten[2] = {st.st_atim, st.st_mtim};
  if (ok && ::futimens(aus, zeiten) != 0) ok = false;
  if (::fsync(aus) != 0) ok = false;
  if (::close(aus) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), Nativ(Ziel).constData()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

// Whether Basis + the rest of Pfad stays below Basis when every link on the way is followed: the
// commands act on the last component itself (a link there is deleted or moved as the link), so
// only the folders above it count, and the last one too where the command follows it (a run).
// A component that does not exist yet ends the walk: what is created there is a real folder.
bool InnerhalbDerBasis(const QString& Basis, const QString& Pfad, bool ZielFolgen) {
  // No base folder yet: nothing below it to lead out.
  if (QFileInfo(Basis.isEmpty() ? QStringLiteral(".") : Basis).canonicalFilePath().isEmpty()) return true;
  QString rest = Pfad.mid(Basis.size());
  while (rest.startsWith(u'/')) rest.remove(0, 1);
  const QStringList teile = rest.split(u'/', Qt::SkipEmptyParts);
  QString weg = Basis.isEmpty() || Basis.endsWith(u'/') ? Basis : Basis + u'/';
  for (qsizetype i = 0; i < teile.size() - (ZielFolgen ? 0 : 1); ++i) {
    weg += teile[i];
    const auto st = Status(weg);
    if (!st) return true;
    if (S_ISLNK(st->st_mode) && !intern::LiegtIn(weg, Basis)) return false;
    weg += u'/';
  }
  return true;
}

// Whether the link at Pfad names the same thing from the folder Ziel: an absolute link does,
// a relative one only in its own folder.
bool RelativerLinkBleibtGueltig(const QString& Pfad, const QString& Ziel) {
  char ziel[2];
  const ssize_t n = ::readlink(Nativ(Pfad).constData(), ziel, sizeof ziel);
  if (n > 0 && ziel[0] == '/') return true;
  struct stat von{}, nach{};
  return ::stat(Nativ(QFileInfo(Pfad).path()).constData(), &von) == 0 &&
         ::stat(Nativ(Ziel).constData(), &nach) == 0 && von.st_dev == nach.st_dev && von.st_ino == nach.st_ino;
}

bool StandardOeffnen(const QString& Pfad) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {Pfad}, QFileInfo(Pfad).absolutePath());
}

}  // namespace

TDesktopOeffner DesktopOeffnerSetzen(TDesktopOeffner Neu) {
  TDesktopOeffner alt = std::move(Oeffner());
  Oeffner() = std::move(Neu);
  return alt;
}

// --- TScriptBasis ---

std::optional<QString> TScriptBasis::PfadPruefen(const TDatei& Datei, IProtokollAnsicht* UpdInfo, bool ZielFolgen) {
  // The folder itself (a bare "\" for instance) is refused too: deleting it would empty it.
  const QString basis = BasisVerzeichnis(Datei);
  std::optional<QString> pfad = SicherVerbindenOhneGrossKlein(basis, Datei.Dateiname);
  if (pfad && (OhneTrenner(*pfad) == OhneTrenner(basis) || !InnerhalbDerBasis(basis, *pfad, ZielFolgen))) pfad.reset();
  if (!pfad) Zeile(UpdInfo, QStringLiteral("name refused ") + Datei.Dateiname, TZeilenFarbe::Fehler);
  return pfad;
}

bool TScriptBasis::DateiLoeschen(const QString& Pfad, IProtokollAnsicht* UpdInfo, bool SVNModus, bool Papierkorb) {
  const auto st = Status(Pfad);
  if (!st || S_ISDIR(st->st_mode)) return true;

  if (SVNModus) {
    const QString pfad = Absolut(Pfad);
    Zeile(UpdInfo, QStringLiteral("delete ") + Zitiert(pfad), TZeilenFarbe::Petrol);
    if (Svn(QFileInfo(pfad).path(), {QStringLiteral("delete"), Woertlich(pfad)}).Erfolg) return true;
    SvnFehlerZeigen();
    return false;
  }
  bool ok;
  // A link goes for good, never what it names (a folder, a file, or nothing): the trash holds
  // nothing of value for a link.
  if (Papierkorb && !S_ISLNK(st->st_mode))
    ok = InDenPapierkorb(Pfad);
  else
    ok = ::unlink(Nativ(Pfad).constData()) == 0;
  if (!ok) Zeile(UpdInfo, QStringLiteral("delete failed ") + Pfad, TZeilenFarbe::Fehler);
  return ok;
}

// --- TScriptNurVerschieben ---

void TScriptNurVerschieben::Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste,
                                       bool SVNModus, bool, bool) {
  DateiVerschieben(UpdInfo, StBar, Indexliste, SVNModus);
}

bool TScriptNurVerschieben::DateiVerschieben(IProtokollAnsicht* UpdInfo, IStatusAnzeige*, TIndexListe&,
                                             bool SVNModus) {
  Zeile(UpdInfo, AlteDatei.Dateiname + QStringLiteral(" -> ") + NeueDatei.Dateiname, TZeilenFarbe::Grau);
  const std::optional<QString> alt = PfadPruefen(AlteDatei, UpdInfo);
  const std::optional<QString> neu = PfadPruefen(NeueDatei, UpdInfo);
  if (!alt || !neu) return false;

  const QString ordner = QFileInfo(*neu).path();
  VerzeichnisAnlegen(ordner, true);

  // Onto itself (the checked join finds the existing file in any letter case): nothing to do,
  // and a copy would empty the file it reads.
  const auto stAlt = Status(*alt);
  const auto stNeu = Status(*neu);
  if (stAlt && stNeu && stAlt->st_dev == stNeu->st_dev && stAlt->st_ino == stNeu->st_ino) {
    if (OhneTrenner(*alt) == OhneTrenner(*neu) || SVNModus) return true;
    // Two names of one file: as "mv" does, the old name goes and the target keeps the content
    // (a rename would keep both names and do nothing).
    if (::unlink(Nativ(*alt).constData()) == 0) return true;
    Zeile(UpdInfo, QStringLiteral("delete failed ") + *alt, TZeilenFarbe::Fehler);
    return false;
  }
  // A run ended after the move: the file is at its new place, and a run again goes on from there.
  if (!stAlt && stNeu && S_ISREG(stNeu->st_mode)) return true;

  auto kopieFehlgeschlagen = [&] {
    Zeile(UpdInfo, QStringLiteral("copy failed ") + AlteDatei.Dateiname + QStringLiteral(" -> ") + NeueDatei.Dateiname,
          TZeilenFarbe::Fehler);
    return false;
  };
  // A relative link names its target from its own folder: in another folder it would name
  // something else or nothing. Such a move is refused here as the copy across file systems
  // refuses every link.
  if (stAlt && S_ISLNK(stAlt->st_mode) && !RelativerLinkBleibtGueltig(*alt, ordner)) return kopieFehlgeschlagen();

  if (SVNModus) {
    const QString ordnerAbs = Absolut(ordner);
    const QString verzeichnis = Datenverzeichnis;
    bool ok = true;
    Zeile(UpdInfo, QStringLiteral("add --parents ") + Zitiert(ordnerAbs), TZeilenFarbe::Petrol);
    // A folder that is versioned already needs no add. Only the folders themselves are added:
    // whatever else lies in them is the user's, not the version control's.
    if (!Svn(verzeichnis, {QStringLiteral("info"), Woertlich(ordnerAbs)}, false).Erfolg &&
        !Svn(verzeichnis, {QStringLiteral("add"), QStringLiteral("--parents"), QStringLiteral("--depth"),
                           QStringLiteral("empty"), Woertlich(ordnerAbs)})
             .Erfolg) {
      SvnFehlerZeigen();
      ok = false;
    }
    const QString altAbs = Absolut(*alt), neuAbs = Absolut(*neu);
    Zeile(UpdInfo, QStringLiteral("move ") + Zitiert(altAbs) + u' ' + Zitiert(neuAbs), TZeilenFarbe::Petrol);
    EreignisseVerarbeiten();
    if (!Svn(verzeichnis, {QStringLiteral("move"), Woertlich(altAbs), WoertlichZiel(neuAbs)}).Erfolg) {
      SvnFehlerZeigen();
      ok = false;
    }
    return ok;
  }

  if (!stAlt || S_ISDIR(stAlt->st_mode)) return kopieFehlgeschlagen();
  // One file system: one rename, which replaces the target in one step.
  if (std::rename(Nativ(*alt).constData(), Nativ(*neu).constData()) == 0) return true;
  if (errno != EXDEV || !KopierenUndErsetzen(*alt, *neu)) return kopieFehlgeschlagen();
  // The file is at its new place; a source that cannot be removed is said by its own line.
  DateiLoeschen(*alt, UpdInfo, false, false);
  return true;
}

// --- TScriptLoeschen ---

void TScriptLoeschen::Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige*, TIndexListe&, bool SVNModus,
                                 bool KeinPapierkorb, bool VerzDirekt) {
  if (Datei.Dateiname.isEmpty()) return;
  Zeile(UpdInfo, QStringLiteral(" X> ") + Datei.Dateiname, TZeilenFarbe::Standard);
  const std::optional<QString> pfad = PfadPruefen(Datei, UpdInfo);
  if (!pfad) return;
  const auto st = Status(*pfad);
  if (!st) return;
  if (S_ISDIR(st->st_mode)) {
    if (!VerzDirekt &&
        MeldungZeigen(Formatieren(QStringLiteral("Verzeichnis %s löschen?"), {Datei.Dateiname}),
                      TMsgDlgType::mtConfirmation, mbYes | mbNo, 0) != mrYes)
      return;
    if (!VerzeichnisLoeschen(*pfad, !KeinPapierkorb))
      Zeile(UpdInfo, QStringLiteral("delete failed ") + *pfad, TZeilenFarbe::Fehler);
    return;
  }
  DateiLoeschen(*pfad, UpdInfo, SVNModus, !KeinPapierkorb);
}

// --- TScriptAusfuehren ---

void TScriptAusfuehren::Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige*, TIndexListe&, bool, bool, bool) {
  if (Datei.Dateiname.isEmpty() || Datei.Dateiname.contains(QStringLiteral(".."))) return;
  Zeile(UpdInfo, QStringLiteral(" X> ") + Datei.Dateiname, TZeilenFarbe::Standard);
  const std::optional<QString> pfad = PfadPruefen(Datei, UpdInfo, true);
  if (!pfad) return;
  const QFileInfo info(*pfad);
  bool ok;
  if (SystemStartbar(Nativ(info.absoluteFilePath()).toStdString())) {
    QProcess prozess;
    prozess.setProgram(info.absoluteFilePath());
    prozess.setArguments(QProcess::splitCommand(Fparam));
    prozess.setWorkingDirectory(info.absolutePath());
    prozess.setStandardInputFile(QProcess::nullDevice());
    ok = prozess.startDetached();
  } else {
    ok = info.exists() && (Oeffner() ? Oeffner() : StandardOeffnen)(info.absoluteFilePath());
    if (!Fparam.isEmpty())
      Zeile(UpdInfo, QStringLiteral("parameters not passed ") + Fparam, TZeilenFarbe::Fehler);
  }
  if (!ok) Zeile(UpdInfo, QStringLiteral("start failed ") + *pfad, TZeilenFarbe::Fehler);
}

}  // namespace kiro
