#pragma once
// "ANSI" text of the product's Windows origin: code page Windows-1252.
#include <QByteArray>
#include <QString>

namespace kiro {

// Decodes Windows-1252; the five bytes 1252 leaves undefined map to the C1 control of that value.
QString AusAnsi(const QByteArray& Bytes);
// Encodes as Windows-1252; characters the code page lacks become "?".
QByteArray NachAnsi(const QString& Text);

}  // namespace kiro
