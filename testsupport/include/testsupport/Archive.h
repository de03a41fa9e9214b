#pragma once
// Archive builders for tests: real 7z archives made by the 7z command, and archives with
// arbitrary (hostile) entries written through libarchive's 7z writer.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace kiro::test {

// Packs everything inside Ordner (its content, not the folder itself; empty folders included)
// into a new 7z archive Archiv with "7z a -t7z". Schalter are passed on ("-mx1", "-ms=off").
// On failure returns false and puts the tool's output into *Fehler.
bool SiebenZipPacken(const QString& Ordner, const QString& Archiv, const QStringList& Schalter = {},
                     QString* Fehler = nullptr);

// One entry of a crafted archive. The name is stored exactly as given (UTF-8).
struct TArchivEintrag {
  enum TArt { Datei, Ordner, Verweis };
  QByteArray Name;
  QByteArray Inhalt;  // a file's content; a symbolic link's target
  TArt Art = Datei;
};

// Writes a 7z archive holding exactly these entries, in this order, with no checks of the names.
bool ArchivSchreiben(const QString& Archiv, const QList<TArchivEintrag>& Eintraege, QString* Fehler = nullptr);

// Fills Ordner with about Bytes bytes of files in a few subfolders, alternating text that
// compresses well and random bytes that do not, repeatably for the same Saat. Returns the
// number of files written.
int GemischteDateienErzeugen(const QString& Ordner, std::int64_t Bytes, std::uint32_t Saat = 1,
                             std::int64_t DateiGroesse = 4 << 20);

// Changes one byte of a file at Position (bit-inverts it). False when the file is shorter.
bool ByteKippen(const QString& Datei, std::int64_t Position);

// Cuts a file to Laenge bytes.
bool Kuerzen(const QString& Datei, std::int64_t Laenge);

}  // namespace kiro::test
