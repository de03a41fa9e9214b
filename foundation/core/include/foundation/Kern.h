#pragma once
// Qt-free routines that both programs share (Paketstarter links no Qt).
#include <cstddef>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

namespace kiro {

// Creates every missing folder of Pfad, level by level from the top. Returns 0 when Pfad is a
// folder afterwards, else the reason (an errno value) the first missing level was refused;
// a caller that ignores it notices a missing folder only when it uses it. With BesitzVomOberen
// each new folder gets the owner and group of the folder it is made in where the process may
// set them (run as root), so that a folder made in a user's tree stays the user's.
int VerzeichnisAnlegen(const std::string& Pfad, bool BesitzVomOberen = false);

// The user's own temp folder: "$TMPDIR" when set and absolute, else "/tmp", and below it
// "kiro-<uid>", created with mode 0700. The folder must be a real folder (no symbolic link)
// owned by this user with no access for others; it ends with "/".
// Returns "" and sets *Fehler when the folder cannot be made safe.
std::string BenutzerTempVerzeichnis(std::string* Fehler = nullptr);

// Writes all Laenge bytes to Fd, continuing short and interrupted writes, so that a full disk
// ends in its own error. False with errno set when a write failed.
bool AllesSchreiben(int Fd, const char* Daten, std::size_t Laenge);

// A name for a temporary file of this program: ".~kiro<process id>.<number>". It is short, so it
// fits beside any name, and it says whose process made it, so that a later run can tell a dead
// one from a user's file ("name~" is never one of ours).
std::string TempdateiName();

// Whether Name (a bare name) is a temporary file of this program whose process has ended. A
// process of that id that runs (maybe another program by now) keeps it: only what is certainly
// orphaned goes.
bool VerwaisteTempdatei(const char* Name);

// Removes the dead temporaries of this program (regular files only) in the folder: what a killed
// run left there goes with the next run that writes there.
void VerwaisteTempdateienEntfernen(const std::string& Ordner);

// Creates a new file under a fresh TempdateiName() in the folder OrdnerFd (AT_FDCWD: the current
// one), exclusively and without following a link; Vorne, a folder path with its final "/" or
// empty, is put before the name. A taken name is someone's (a link planted there) and stays; the
// next number is tried. Returns the open descriptor and sets Name to Vorne + the name; -1 with
// errno set when no name could be created.
int TempdateiAnlegen(int OrdnerFd, const std::string& Vorne, mode_t Modus, std::string& Name);

// Gives the new file Fd the owner, group and mode of the old file Alt: owner and group where the
// process may set them (run as root; an ordinary user keeps its own), the mode always.
// False with errno set when the mode could not be set.
bool BesitzUebernehmen(int Fd, const struct stat& Alt);

// Creates the temporary file of a replacement beside Ziel, exclusively and without following a
// link, under a fresh TempdateiName(); dead temporaries of this program in that folder are
// removed first. Returns the open descriptor and sets Temp to the path; -1 with errno set when
// no name could be created.
int FrischeTempdatei(const std::string& Ziel, mode_t Modus, std::string& Temp);

}  // namespace kiro
