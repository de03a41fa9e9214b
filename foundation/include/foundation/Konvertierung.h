#pragma once
// General conversions: text to numbers, dates and Booleans as the data files write them, lists
// to and from semicolon-separated texts, file-name cleaning, data-path forms and small text
// routines. Nothing here depends on the process locale: a German locale must not change what is
// read from or written to data files.
//
// The conversions from text never throw: a text that cannot be converted gives 0 and one log
// line of type 2 whose message comes from the text catalogue.
#include "foundation/KiroTypen.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace kiro {

// Decimal whole number with optional sign; blanks around it are allowed. "" gives 0 silently.
std::int32_t StrToIntSicher(const QString& Text);
std::int64_t StrToInt64Sicher(const QString& Text);
// "." or, failing that, "," as decimal separator; no thousands separators. "" gives 0 silently.
// A number beyond a Single's range is unreadable like any other (0, with the log line).
double StrToFloatPunkt(const QString& Text);

// "yyyy-mm-dd" (midnight) or a date, a blank and "hh:nn", "hh:nn:ss" or "hh:nn:ss:zzz";
// leading and trailing blanks and tabs are ignored. Millisekunden names the long time format
// only; milliseconds are read either way. A bad text ("" included) gives 0 and a log line.
TDateTime TextZuZeitDatum(const QString& Text, bool Millisekunden);
// The form the data-file readers use.
TDateTime TextZuZeitDatumSekunden(const QString& Text);

// True exactly for "1".
bool StrToBoolEins(const QString& Text);

// Only the letters a to z upper-cased (ä and Ä stay different): how Windows names and the
// product's file index compare names.
QString GrossAZ(const QString& Text);

// Metres per second as whole km/h, halves to the even neighbour. A negative value gives "oo",
// or with RohwertZeigen the value itself rounded the same way.
QString GeschwindigkeitAlsText(float Geschwindigkeit, bool RohwertZeigen);

// Splits at every ";": empty parts count, except a last one.
void TextZuListe(const QString& Text, QStringList& Liste);
// Every item followed by ";"; a ";" inside an item becomes ",".
QString ListeZuText(const QStringList& Liste);

// Up to eight hexadecimal digits, no prefix, no sign ("ffffffff" gives -1). "" gives 0.
std::int32_t HexZuInt(const QString& Text);

// Pfad relative to DatenverzeichnisOffiziell when it lies below that folder, else relative to
// Datenverzeichnis ("../" for every further folder of the base). A path with no common root
// with the base (absolute against relative) comes back unchanged.
QString RelativerPfad(const QString& Pfad);
// DatenverzeichnisOffiziell + Name, joined as they are.
QString OffiziellerPfad(const QString& Name);

// True when the file's last extension belongs to the file-type table (only to its text XML
// rows with NurMarkierte) or, without NurMarkierte, to a few further known kinds.
bool BekannterDateityp(const QString& Datei, bool NurMarkierte);

// Ä Ö Ü ä ö ü ß become Ae Oe Ue ae oe ue ss; true when anything was replaced.
bool UmlauteErsetzen(const QString& Text, QString& Ergebnis);
// Cleans the file name after the last "\" or "/" (the folder part stays): umlauts replaced,
// then only A-Z a-z 0-9 - . _ kept (and the blank unless Streng). A name that would end up
// "", "." or ".." becomes "_", "_" or "__". True when the name was changed.
bool DateinameBereinigen(const QString& Pfad, QString& Ergebnis, bool Streng);
// The strictly cleaned path.
QString SichererDateiname(const QString& Pfad);

// How often Zeichen occurs in Text (case-sensitive).
int ZeichenZaehlen(QChar Zeichen, const QString& Text);

}  // namespace kiro
