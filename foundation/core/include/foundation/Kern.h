#pragma once
// Qt-free routines that both programs share (Paketstarter links no Qt).
#include <string>

namespace kiro {

// Creates every missing folder of Pfad, level by level from the top; failures are ignored,
// a caller notices a missing folder only when it uses it.
void VerzeichnisAnlegen(const std::string& Pfad);

// The user's own temp folder: "$TMPDIR" when set and absolute, else "/tmp", and below it
// "kiro-<uid>", created with mode 0700. The folder must be a real folder (no symbolic link)
// owned by this user with no access for others; it ends with "/".
// Returns "" and sets *Fehler when the folder cannot be made safe.
std::string BenutzerTempVerzeichnis(std::string* Fehler = nullptr);

}  // namespace kiro
