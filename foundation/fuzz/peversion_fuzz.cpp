// libFuzzer target of the PE version reader: any bytes, read from memory and from a file; both
// ways must agree, and a version found is never the "0.0.0.0" of a failed read in disguise.
#include "foundation/Systeminfo.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>

using namespace kiro;

namespace {

const QString& Datei() {
  static const QString d = [] {
    const QString o = QDir::tempPath() + QStringLiteral("/peversion-fuzz-%1/").arg(::getpid());
    QDir().mkpath(o);
    return o + QStringLiteral("f.exe");
  }();
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Daten, std::size_t Groesse) {
  const auto v = PeDateiVersion({Daten, Groesse});
  {
    QFile f(Datei());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    f.write(reinterpret_cast<const char*>(Daten), qint64(Groesse));
  }
  std::uint16_t a = 1, b = 1, c = 1, d = 1;
  const QString text = DateiVersionLesen(Datei(), a, b, c, d);
  if (!v) {
    if (!text.isEmpty() || a || b || c || d) std::abort();
  } else {
    const QString erwartet = QStringLiteral("%1.%2.%3.%4").arg(v->Haupt).arg(v->Neben).arg(v->Release).arg(v->Build);
    if (text != erwartet || a != v->Haupt || b != v->Neben || c != v->Release || d != v->Build) std::abort();
  }
  return 0;
}
