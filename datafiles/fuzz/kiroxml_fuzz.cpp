// libFuzzer target of the XML reader: any bytes, read from a file as a data file is, with
// callbacks that accept, refuse or skip items by their name, so every path of the grammar and
// of the nesting guard is walked.
#include "datafiles/KiroXML.h"

#include "foundation/Protokoll.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>

using namespace kiro;

namespace {

struct TLauf {
  TKiroXML* Leser;
  int Tiefe = 0;
  TParserProc Proc() {
    return [this](TParse& p, void*) -> TParseErg {
      const std::uint32_t h = p.Kennung.isEmpty() ? 0u : p.Kennung.at(0).unicode();
      if (p.Wert == QStringView(KnotenMarke)) {
        if (h % 5 == 1) return ParseFehler;
        if (h % 5 == 2) return ParseUeberspringen;
        ++Tiefe;
        Leser->LadenXML(Proc(), nullptr, false, QStringLiteral("f.xml"));
        --Tiefe;
        return ParseOK;
      }
      return h % 3 == 1 ? ParseFehler : ParseOK;
    };
  }
};

QString& Ordner() {
  static QString o = [] {
    QString d = QDir::tempPath() + QStringLiteral("/kiroxml-fuzz-%1/").arg(::getpid());
    QDir().mkpath(d);
    return d;
  }();
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Daten, std::size_t Groesse) {
  static TMeldungsListe liste([] { liste.Entnehmen(); });
  MeldungsListBox = &liste;
  {
    QFile f(Ordner() + QStringLiteral("f.xml"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    f.write(reinterpret_cast<const char*>(Daten), qint64(Groesse));
  }
  TKiroXML x;
  TLauf lauf{&x};
  TInfo info;
  if (!x.LadenDatei(Ordner(), QStringLiteral("f.xml"), info, lauf.Proc(), nullptr)) std::abort();
  if (lauf.Tiefe != 0) std::abort();
  // A level is never opened beyond the limit.
  liste.Entnehmen();
  return 0;
}
