#pragma once
// The one place where a name taken from a data file, a script or an archive meets the file
// system. Such names keep their Windows form ("data\x\y.ls3"); both "\" and "/" separate.
#include <QString>
#include <QStringList>

#include <optional>

namespace kiro {

// Splits a relative name into its components. Refuses (nullopt) an empty name, an absolute
// name, a drive letter or any ":", "." and ".." components, empty components, NUL and other
// control characters. One trailing separator (a folder entry) is allowed.
std::optional<QStringList> SichereKomponenten(const QString& Name);

// Basis (a native folder, "" or ending in "/") joined with the checked name, native form.
// nullopt when the name is refused.
std::optional<QString> SicherVerbinden(const QString& Basis, const QString& Name);

// As SicherVerbinden, but each component that exists below Basis in another letter case is
// taken in the case found on disk (Windows names ignore case). Components that do not exist
// keep the case of the name.
std::optional<QString> SicherVerbindenOhneGrossKlein(const QString& Basis, const QString& Name);

// The folder below the folder held open as Ordner that holds the last of Teile (checked
// components), reached one component at a time without following a symbolic link; Ordner
// itself for one component. With OhneGrossKlein each component that exists in another letter
// case is taken as found. The caller closes a result other than Ordner; -1 with errno set.
int ElternOeffnen(int Ordner, const QStringList& Teile, bool OhneGrossKlein = false);

// Opens the checked name below the folder held open as Ordner, one component at a time, as
// the unpack writes: no path handed to the system is longer than one name, so a file deeper
// than the longest path the system takes is reached, too. Nothing is followed through a
// symbolic link; each component that exists in another letter case is taken as found. Flags
// get O_NOFOLLOW and O_CLOEXEC added. -1 with errno set (EINVAL for a refused name).
int SicherOeffnenOhneGrossKlein(int Ordner, const QString& Name, int Flags);

}  // namespace kiro
