#pragma once
// Reading and replacing the product's small text files (language files, grid files, category
// trees, folder links). Older files are ANSI (Windows-1252); newer ones start with a byte-order
// mark. A file is read whole and written through a fresh "name~" and a rename, so a failed write keeps
// the old file and a failed read changes nothing.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kiro {

// A byte-order mark chooses UTF-8, UTF-16 LE or UTF-16 BE (the mark itself is dropped);
// without one the bytes are Windows-1252.
QString TextEntschluesseln(const QByteArray& Bytes);

// ANSI (Windows-1252), which the product's other programs read; a text with characters the
// code page lacks is written as UTF-8 with its byte-order mark instead of turning them into "?".
QByteArray TextVerschluesseln(const QString& Text);

// Splits at CR LF, LF or CR; a line break at the very end opens no further line.
QStringList TextZeilen(const QString& Text);

// The whole content of a regular file (no FIFO, device or folder, so no read can hang).
// False with *Fehler set when it cannot be read.
bool DateiLesen(const QString& Pfad, QByteArray& Inhalt, QString* Fehler = nullptr);
// DateiLesen, then TextEntschluesseln.
bool TextdateiLesen(const QString& Pfad, QString& Text, QString* Fehler = nullptr);

// Appends Inhalt to the regular file Pfad, created when missing; anything else at that name (a
// FIFO, a device, a folder) is not written to, so no append can hang. False with *Fehler set
// when it could not be written whole.
bool DateiAnhaengen(const QString& Pfad, const QByteArray& Inhalt, QString* Fehler = nullptr);

// The one replace routine of every save: writes Inhalt to a fresh temporary beside Pfad ("name~",
// or the next free "name~N"; never through a link, never over someone's file), gives it the old
// file's mode, syncs it and renames it over Pfad in one step. False with *Fehler set when any
// step failed; the old file is then unchanged and no temporary is left.
bool DateiErsetzen(const QString& Pfad, const QByteArray& Inhalt, QString* Fehler = nullptr);

}  // namespace kiro
