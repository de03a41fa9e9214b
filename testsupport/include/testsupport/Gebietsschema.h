#pragma once
// Sets the process's default locale for one test and puts the one before back afterwards.
#include <QLocale>

namespace kiro::test {

class TGebietsschema {
 public:
  explicit TGebietsschema(const QLocale& l) { QLocale::setDefault(l); }
  ~TGebietsschema() { QLocale::setDefault(FVorher); }
  TGebietsschema(const TGebietsschema&) = delete;
  TGebietsschema& operator=(const TGebietsschema&) = delete;

 private:
  QLocale FVorher;
};

}  // namespace kiro::test
