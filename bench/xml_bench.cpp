// Reads a generated 50 MB data file with the product's XML reader and with expat, in the same
// run, each with a callback that keeps every attribute, and prints the times and the ratio.
#include "Maschinenlast.h"
#include "datafiles/KiroXML.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace kiro;

namespace {

QByteArray Erzeugen(qsizetype Ziel) {
  QByteArray b("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n"
               "<Info DateiTyp=\"script.xml\" Version=\"A.2\" Beschreibung=\"Stick &amp; Rechner\">\r\n</Info>\r\n"
               "<VerwaltungsScript IndexNoetig=\"1\">\r\n");
  b.reserve(Ziel + 1024);
  for (int i = 0; b.size() < Ziel; ++i) {
    b += "<DateiInfo Datei=\"data\\Strecken\\Gro\xC3\x9F" "enhain\\Abschnitt_" + QByteArray::number(i) +
         ".ls3\" DateiArt=\"" + QByteArray::number(i % 7) + "\" Groesse=\"" + QByteArray::number(1000 + i * 37) +
         "\" Hashwert=\"" + QByteArray::number(quint32(i * 2654435761u)) +
         "\" Datum=\"2024-04-18 12:30:05\" Version=\"A.2\" Bemerkung=\"&lt;neu&gt; &amp; gepr\xC3\xBC" "ft\"";
    if (i % 10 == 0)
      b += ">\r\n<Bedingung Art=\"2\" Wert=\"inst\\KiroSim.exe\"/>\r\n</DateiInfo>\r\n";
    else
      b += "/>\r\n";
  }
  b += "</VerwaltungsScript>\r\n</Kiro>\r\n";
  return b;
}

using Uhr = std::chrono::steady_clock;

struct TKiroLauf {
  TKiroXML x;
  std::vector<std::pair<QString, QString>> Attribute;  // of the element being read
  std::size_t Anzahl = 0;
  TParserProc Proc() {
    return [this](TParse& p, void*) -> TParseErg {
      if (p.Wert == QStringView(KnotenMarke)) {
        Attribute.clear();
        x.LadenXML(Proc(), nullptr, false, QStringLiteral("bench.xml"));
        return ParseOK;
      }
      Attribute.emplace_back(p.Kennung, p.Wert);
      ++Anzahl;
      return ParseOK;
    };
  }
};

template <class Text>
struct TExpatLauf {
  std::vector<std::pair<Text, Text>> Attribute;
  std::size_t Anzahl = 0;
  static Text Mach(const char* s) {
    if constexpr (std::is_same_v<Text, QString>)
      return QString::fromUtf8(s);
    else
      return std::string(s);
  }
  static void Start(void* d, const XML_Char*, const XML_Char** attr) {
    auto* l = static_cast<TExpatLauf*>(d);
    l->Attribute.clear();
    for (int i = 0; attr[i]; i += 2) {
      l->Attribute.emplace_back(Mach(attr[i]), Mach(attr[i + 1]));
      ++l->Anzahl;
    }
  }
};

double KiroLesen(const QString& Ordner, std::size_t& Anzahl) {
  const auto t0 = Uhr::now();
  TKiroLauf lauf;
  TInfo info;
  lauf.x.LadenDatei(Ordner, QStringLiteral("bench.xml"), info, lauf.Proc(), nullptr);
  Anzahl = lauf.Anzahl;
  return std::chrono::duration<double>(Uhr::now() - t0).count();
}

template <class Text>
double ExpatLesen(const QString& Pfad, std::size_t& Anzahl) {
  const auto t0 = Uhr::now();
  TExpatLauf<Text> lauf;
  XML_Parser p = XML_ParserCreate(nullptr);
  XML_SetUserData(p, &lauf);
  XML_SetStartElementHandler(p, &TExpatLauf<Text>::Start);
  const int fd = ::open(QFile::encodeName(Pfad).constData(), O_RDONLY);
  for (;;) {
    void* puffer = XML_GetBuffer(p, 4096);
    const ssize_t n = ::read(fd, puffer, 4096);
    if (n < 0 || XML_ParseBuffer(p, int(n), n == 0) != XML_STATUS_OK) {
      std::fprintf(stderr, "expat: %s\n", XML_ErrorString(XML_GetErrorCode(p)));
      break;
    }
    if (n == 0) break;
  }
  ::close(fd);
  XML_ParserFree(p);
  Anzahl = lauf.Anzahl;
  return std::chrono::duration<double>(Uhr::now() - t0).count();
}

}  // namespace

int main() {
  kiro::bench::MaschinenlastZeigen("start");
  QTemporaryDir ordner;
  const QString pfad = ordner.filePath(QStringLiteral("bench.xml"));
  const QByteArray daten = Erzeugen(50 * 1000 * 1000);
  {
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly) || f.write(daten) != daten.size()) return 1;
  }
  const double mb = double(daten.size()) / 1e6;
  double kiro = 1e9, expatStd = 1e9, expatQ = 1e9;
  std::size_t nk = 0, ne = 0, nq = 0;
  for (int runde = 0; runde < 3; ++runde) {
    kiro = std::min(kiro, KiroLesen(ordner.path() + u'/', nk));
    expatStd = std::min(expatStd, ExpatLesen<std::string>(pfad, ne));
    expatQ = std::min(expatQ, ExpatLesen<QString>(pfad, nq));
  }
  std::printf("file: %.1f MB, attributes: kiro %zu, expat %zu\n", mb, nk, ne);
  std::printf("TKiroXML                 : %7.3f s  %7.1f MB/s\n", kiro, mb / kiro);
  std::printf("expat (std::string kept) : %7.3f s  %7.1f MB/s\n", expatStd, mb / expatStd);
  std::printf("expat (QString kept)     : %7.3f s  %7.1f MB/s\n", expatQ, mb / expatQ);
  std::printf("ratio expat/TKiroXML (std::string): %.2f  (>1: TKiroXML faster)\n", expatStd / kiro);
  std::printf("ratio expat/TKiroXML (QString)    : %.2f\n", expatQ / kiro);
  // TKiroXML also hands on the two pseudo-attributes of the declaration, which expat does not.
  kiro::bench::MaschinenlastZeigen("end");
  return nk == ne + 2 && ne == nq ? 0 : 2;
}
