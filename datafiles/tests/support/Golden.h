#pragma once
// The expected bytes of a golden file in datafiles/tests/golden/.
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFileInfo>

namespace kiro::test {

inline QByteArray Golden(const char* Name) {
  const QDir tests = QFileInfo(QString::fromUtf8(__FILE__)).dir().filePath(QStringLiteral(".."));
  return Lesen(tests.filePath(QStringLiteral("golden/")) + QString::fromUtf8(Name));
}

}  // namespace kiro::test
