#pragma once
// Qt-free routines that both programs share (Paketstarter links no Qt).
#include <cstddef>
#include <string>

#include <sys/types.h>

namespace kiro {

// Creates every missing folder of Pfad, level by level from the top. Returns 0 when Pfad is a
// folder afterwards, else the reason (an errno value) the first missing level was refused;
// a caller that ignores it notices a missing folder only when it uses it.
int VerzeichnisAnlegen(const std::string& Pfad);

// The user's own temp folder: "$TMPDIR" when set and absolute, else "/tmp", and below it
// "kiro-<uid>", created with mode 0700. The folder must be a real folder (no symbolic link)
// owned by this user with no access for others; it ends with "/".
// Returns "" and sets *Fehler when the folder cannot be made safe.
std::string BenutzerTempVerzeichnis(std::string* Fehler = nullptr);

// Writes all Laenge bytes to Fd, continuing short and interrupted writes, so that a full disk
// ends in its own error. False with errno set when a write failed.
bool AllesSchreiben(int Fd, const char* Daten, std::size_t Laenge);

// Creates the temporary file of a replacement beside Ziel, exclusively and without following a
// link: "Ziel~", or "Ziel~1", "Ziel~2" ... when a name is taken, since a taken name is someone's
// file (an editor's backup, say) and is never removed or written. Returns the open descriptor
// and sets Temp to the name; -1 with errno set when no name could be created.
int FrischeTempdatei(const std::string& Ziel, mode_t Modus, std::string& Temp);

}  // namespace kiro
