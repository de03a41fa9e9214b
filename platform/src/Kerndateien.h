#pragma once
// The kernel's generated files (/proc) report size 0 and are made as they are read: a reader
// reads until a read returns nothing, never by their size or by atEnd().
#include <QByteArray>
#include <QString>

#include <optional>

namespace kiro::platform {

// The whole content; none when the file cannot be opened.
std::optional<QByteArray> KerndateiLesen(const QString& Pfad);

}  // namespace kiro::platform
