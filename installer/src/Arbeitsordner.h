#pragma once
// The stick build's work folder below the target, held open by its descriptor. It must be a
// real folder: a symbolic link in its place is refused, never followed. Every file of the build
// is opened, created and removed relative to that descriptor without following links, so
// nothing the build writes or deletes lies outside the folder, whatever is renamed meanwhile.
// The folder is locked for as long as it is held, so two runs never share it.
#include <QString>

#include <sys/stat.h>

namespace kiro {

// The stick build's work folder in the target folder.
inline const QString kStickArbeitsordner = QStringLiteral("KiroStick35");
// The stick build's first script, in the work folder; an interrupted build is known by it.
inline const QString kStickScript = QStringLiteral("StickDateien.script.xml");

class TArbeitsordner {
 public:
  // Opens Ziel (the user's choice, created when missing and reached as given) and below it the
  // folder Name, created when missing.
  TArbeitsordner(const QString& Ziel, const QString& Name);
  ~TArbeitsordner();
  TArbeitsordner(const TArbeitsordner&) = delete;
  TArbeitsordner& operator=(const TArbeitsordner&) = delete;

  bool Offen() const { return FOrdner >= 0; }
  // Why it could not be opened (an error number; a failed creation gives its own), whether a
  // symbolic link is in its place, and whether another run holds it.
  int Fehler() const { return FFehler; }
  bool IstVerweis() const { return FVerweis; }
  bool Belegt() const { return FBelegt; }
  // Whether Ziel still names the folder that was opened: after a lazy unmount (a stick pulled)
  // it names the folder below the mount point instead, and nothing may be written there.
  bool ZielUnveraendert() const;
  // The target folder as it was opened, for work that must land in it and nowhere else.
  int ZielDeskriptor() const { return FZiel; }
  // Ziel + Name + "/", for messages.
  const QString& Pfad() const { return FPfad; }
  // A path that reaches the open folder itself, for readers that take a path.
  QString Zugang() const;

  // Opens the file Name (a checked relative name; its folders must exist) with Flags, which
  // O_NOFOLLOW and O_CLOEXEC are added to; no component may be a link. Only a regular file is
  // handed out. -1 with errno set on failure.
  int DateiOeffnen(const QString& Name, int Flags, mode_t Modus = 0666) const;
  // Removes the file Name, never through a link.
  bool DateiEntfernen(const QString& Name) const;
  // Removes the folder itself, when it is empty and still the one that was opened.
  bool OrdnerEntfernen() const;

 private:
  int FZiel = -1;
  int FOrdner = -1;
  int FFehler = 0;
  bool FVerweis = false;
  bool FBelegt = false;
  QString FZielPfad;
  QString FPfad;
  QString FName;
};

}  // namespace kiro
