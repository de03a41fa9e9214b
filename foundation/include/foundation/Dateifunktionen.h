#pragma once
// General file, folder, drive and version routines. They report failure by their result,
// never by an exception.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace kiro {

// Removes leading and trailing blanks (and tabs when AuchTabs); nothing else counts.
QString Trimmen(const QString& Text, bool AuchTabs);

// The names of all removable drives (mount point with trailing "/", or the device node of an
// unmounted one), ordered by name. Empty when there are none or the query fails.
QStringList WechsellaufwerkeListe();

// The id of the mount that Name (relative to the open folder OrdnerFd, or AT_FDCWD; "" for the
// folder itself) lies on, without following a final link. Tree walks compare it, not the device
// number, since a bind mount of the same file system keeps the device number. nullopt on failure.
std::optional<std::uint64_t> MountKennung(int OrdnerFd, const char* Name);
std::optional<std::uint64_t> MountKennung(const QString& Pfad);

// Creates every missing folder of Pfad; 0, or the reason as for the std::string form. With
// BesitzVomOberen a new folder gets the owner and group of the folder it is made in, where the
// process may set them.
int VerzeichnisAnlegen(const QString& Pfad, bool BesitzVomOberen = false);

// Moves the file to the user's trash, creating the trash folder ($XDG_DATA_HOME/Trash when that
// is an absolute path, else ~/.local/share/Trash) when it is missing; a file on another file
// system goes to that file system's own trash ($topdir/.Trash/$uid or $topdir/.Trash-$uid).
// False when the file could not be trashed; it then stays where it was.
bool InDenPapierkorb(const QString& Pfad);
// The same for the entry Name (its bytes, which a path text cannot always hold) of the open
// folder OrdnerFd, whose absolute path is Ordner (bytes too, for the trash's record).
bool InDenPapierkorb(int OrdnerFd, const QByteArray& Name, const QByteArray& Ordner);

// Deletes the folder and everything in it (to the trash with Papierkorb). True when it is gone;
// a missing folder counts as gone. Never follows a symbolic link, refuses "" and "/".
// Handles pending events before and after each file, so call it on the user-interface thread.
bool VerzeichnisLoeschen(const QString& Pfad, bool Papierkorb);

// Decimal text of Zahl with "0" put in front up to Stellen characters (-5, 4 gives "00-5").
QString MitNullenAuffuellen(std::int32_t Zahl, int Stellen);

// Creates and returns the first free folder Basis + Praefix + four-digit number, with "/".
// Any existing entry of that name counts as taken.
QString FreiesNummernverzeichnis(const QString& Basis, const QString& Praefix);

// True when the version text A is at least B, part by part as numbers.
bool VersionMindestens(const QString& A, const QString& B);

// The size as a short text with its unit (KB = 1024, MB = 1,024,000, GB = 1,024,000,000).
QString GroesseAlsText(std::uint32_t Bytes);

// The user's desktop folder, without trailing separator.
QString DesktopVerzeichnis();

// Splits a version text "a.b.c.d" into four unsigned 16-bit numbers; bad parts give 0.
void VersionZerlegen(const QString& Text, std::uint16_t& V1, std::uint16_t& V2, std::uint16_t& V3,
                     std::uint16_t& V4);

// The system's text for an error number (errno), without a trailing line break; "" for 0.
QString SystemFehlertext(int Fehlercode);

}  // namespace kiro
