// Moves 100 files of a generated official data tree (10,000 text-XML data files that refer to each
// other) with an install script of "Verschieben" entries, once with the file index and once with
// the folder walk, and makes the same moves and replacements with mv + grep -rlZ + sed -i on a
// copy of the same tree in the same run. Prints best and median of several rounds, the ratios,
// the machine load, and checks that the three trees come out byte for byte the same.
#include "Maschinenlast.h"
#include "datafiles/Script.h"

#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

using namespace kiro;

namespace {

int kOrdner = 100;                     // folders below "Strecken" (first argument: fewer, for a quick look)
constexpr int kDateienJeOrdner = 100;  // 10,000 data files in all
constexpr int kVerschiebungen = 100;
int kRunden = 5;  // best and median of these

QString Endung(int i) { return i % 10 == 9 ? QStringLiteral(".xml") : i % 5 == 3 ? QStringLiteral(".fpn") : QStringLiteral(".ls3"); }
// Every file name is unique in the tree, as data files' names mostly are: a bare name then names
// one file, and a rewrite touches the files that really refer to the moved one.
QString Name(int Ordner, int Datei) {
  return QStringLiteral("Strecken\\R%1\\f%1%2%3").arg(Ordner, 2, 10, QChar(u'0')).arg(Datei, 3, 10, QChar(u'0')).arg(Endung(Datei));
}
QString NeuerName(int Ordner, int Datei) {
  return QStringLiteral("Neu\\R%1\\g%1%2%3").arg(Ordner, 2, 10, QChar(u'0')).arg(Datei, 3, 10, QChar(u'0')).arg(Endung(Datei));
}
QString Nativ(const QString& Name) { return QString(Name).replace(u'\\', u'/'); }

// One data file in the tree writer's own layout (so that sed's in-place text replacement and the
// tree's rewrite give the same bytes): a header with needed files, a content of a few KB with
// references by path and by bare name, some in another letter case.
QByteArray Datei(int Ordner, int Datei, unsigned& Zufall) {
  auto naechste = [&Zufall] { return Zufall = Zufall * 1103515245u + 12345u, (Zufall >> 8); };
  auto verweis = [&]() -> QString {
    const int o = int(naechste() % kOrdner);
    const int d = int(naechste() % kDateienJeOrdner);
    const unsigned art = naechste() % 10;
    if (art == 0) return Nativ(Name(Ordner, d)).section(u'/', -1);  // bare: a file beside it
    if (art == 1) return Name(o, d).toUpper().replace(QStringLiteral("\\R"), QStringLiteral("\\r"));  // case
    return Name(o, d);
  };
  QByteArray b = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n<Info DateiTyp=\"Landschaft\" "
                 "Version=\"A.2\" MinVersion=\"A.1\" Beschreibung=\"Bench " +
                 QByteArray::number(Ordner) + "/" + QByteArray::number(Datei) + "\">\r\n";
  for (int i = 0; i < 3; ++i) b += "<Datei Dateiname=\"" + verweis().toUtf8() + "\"/>\r\n";
  b += "</Info>\r\n<Landschaft>\r\n";
  const int teile = 30 + int(naechste() % 30);
  for (int i = 0; i < teile; ++i) {
    b += "<SubSet Farbe=\"FF" + QByteArray::number(naechste() % 0xFFFFFF, 16).toUpper() + "\" Glanz=\"0.25\">\r\n";
    b += "<Vertex p=\"" + QByteArray::number(naechste() % 1000) + "." + QByteArray::number(naechste() % 100) +
         "\" n=\"0 0 1\" uv=\"0.5 0.5\"/>\r\n";
    if (i % 4 == 0) b += "<Verknuepfte Dateiname=\"" + verweis().toUtf8() + "\" Flags=\"3\"/>\r\n";
    b += "</SubSet>\r\n";
  }
  b += "</Landschaft>\r\n</Kiro>\r\n";
  return b;
}

void Erzeugen(const QString& Wurzel) {
  unsigned zufall = 4711;
  for (int o = 0; o < kOrdner; ++o) {
    QDir().mkpath(Wurzel + QStringLiteral("Strecken/R%1").arg(o, 2, 10, QChar(u'0')));
    for (int d = 0; d < kDateienJeOrdner; ++d) {
      QFile f(Wurzel + Nativ(Name(o, d)));
      if (!f.open(QIODevice::WriteOnly) || f.write(Datei(o, d, zufall)) < 0) std::exit(2);
    }
  }
}

struct TZug {
  QString Alt, Neu;
};

std::vector<TZug> Zuege() {
  std::vector<TZug> z;
  for (int i = 0; i < kVerschiebungen; ++i) {
    // Distinct files spread over the tree (7919 is prime, so no file is taken twice).
    const int k = int((i * 7919LL) % (kOrdner * kDateienJeOrdner));
    const int o = k / kDateienJeOrdner, d = k % kDateienJeOrdner;
    z.push_back({Name(o, d), NeuerName(o, d)});
  }
  return z;
}

QByteArray Skript(const std::vector<TZug>& Zuege, bool Index) {
  QByteArray s = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n<Info DateiTyp=\"VerwaltungsScript\" "
                 "Version=\"A.2\" MinVersion=\"A.0\"/>\r\n<VerwaltungsScript" +
                 QByteArray(Index ? " IndexNoetig=\"1\"" : "") + ">\r\n";
  for (const TZug& z : Zuege)
    s += "<Verschieben>\r\n<AlterName Dateiname=\"" + z.Alt.toUtf8() + "\"/>\r\n<NeuerName Dateiname=\"" + z.Neu.toUtf8() +
         "\"/>\r\n<BasisPfad/>\r\n</Verschieben>\r\n";
  return s + "</VerwaltungsScript>\r\n</Kiro>\r\n";
}

// A pattern that matches Text with a to z in either case (as Windows names compare), for grep
// and sed in the C locale.
QString OhneGrossKlein(const QString& Text) {
  QString m;
  for (QChar c : Text) {
    if (c.isLetter() && c.unicode() < 128)
      m += u'[' + c.toLower() + c.toUpper() + u']';
    else if (c == u'\\')
      m += QStringLiteral("\\\\");
    else if (c == u'.')
      m += QStringLiteral("\\.");
    else
      m += c;
  }
  return m;
}

// The reference tool: per move one mv, then grep lists the files that name the old file (by
// path or bare name) and sed rewrites the values to the new name.
QByteArray ShellSkript(const std::vector<TZug>& Zuege, const QString& Wurzel) {
  QByteArray s = "set -e\nexport LC_ALL=C\ncd '" + Wurzel.toUtf8() + "'\n";
  for (const TZug& z : Zuege) {
    const QString alt = Nativ(z.Alt), neu = Nativ(z.Neu);
    const QString muster =
        QStringLiteral(" Dateiname=\"\\(") + OhneGrossKlein(z.Alt) + QStringLiteral("\\|") +
        OhneGrossKlein(alt.section(u'/', -1)) + QStringLiteral("\\)\"");
    QString ersatz = z.Neu;
    ersatz.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    s += "mkdir -p '" + neu.section(u'/', 0, -2).toUtf8() + "' && mv '" + alt.toUtf8() + "' '" + neu.toUtf8() + "'\n";
    // "#" delimits: the pattern's alternation "\|" would be taken for a "|" delimiter.
    s += "grep -rlZ -e '" + muster.toUtf8() + "' . | xargs -0 -r sed -i 's#" + muster.toUtf8() + "# Dateiname=\"" +
         ersatz.toUtf8() + "\"#g'\n";
  }
  return s;
}

std::map<QString, QByteArray> Baum(const QString& Wurzel) {
  std::map<QString, QByteArray> b;
  QDirIterator it(Wurzel, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString p = it.next();
    QFile f(p);
    f.open(QIODevice::ReadOnly);
    b[p.mid(Wurzel.size())] = f.readAll();
  }
  return b;
}

void Kopieren(const QString& Von, const QString& Nach) {
  QDir(Nach).removeRecursively();
  if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), Von, Nach}) != 0) std::exit(2);
}

using Uhr = std::chrono::steady_clock;

double SkriptLaufen(const QString& Wurzel, const QString& SkriptDatei) {
  Datenverzeichnis = DatenverzeichnisOffiziell = Wurzel;
  TScript s;
  if (s.LadenDatei(QString(), SkriptDatei, nullptr) != S_OK) std::exit(2);
  const auto t0 = Uhr::now();
  s.Abarbeiten(nullptr, nullptr, false, false, false);
  return std::chrono::duration<double>(Uhr::now() - t0).count();
}

double ShellLaufen(const QString& SkriptDatei) {
  const auto t0 = Uhr::now();
  if (QProcess::execute(QStringLiteral("bash"), {SkriptDatei}) != 0) {
    std::fprintf(stderr, "grep + sed script failed\n");
    std::exit(2);
  }
  return std::chrono::duration<double>(Uhr::now() - t0).count();
}

struct TWerte {
  std::vector<double> z;
  double Beste() const { return *std::min_element(z.begin(), z.end()); }
  double Median() const {
    std::vector<double> s = z;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }
};

}  // namespace

int main(int argc, char** argv) {
  kiro::bench::MaschinenlastZeigen("start");
  QCoreApplication app(argc, argv);
  if (argc > 1) kOrdner = std::clamp(std::atoi(argv[1]), 1, 100);
  TMeldungsListe meldungen;  // log lines stay in memory, not in the data tree
  MeldungsListBox = &meldungen;
  QTemporaryDir tmp;
  tmp.setAutoRemove(!qEnvironmentVariableIsSet("KIRO_BENCH_BEHALTEN"));  // keep the trees to look at them
  const QString wurzel = tmp.path() + QStringLiteral("/vorlage/");
  Erzeugen(wurzel);
  const std::vector<TZug> zuege = Zuege();
  const QString mitIndex = tmp.path() + QStringLiteral("/index.script.xml");
  const QString ohneIndex = tmp.path() + QStringLiteral("/walk.script.xml");
  const QString shell = tmp.path() + QStringLiteral("/grep_sed.sh");
  const QString a = tmp.path() + QStringLiteral("/a/"), b = tmp.path() + QStringLiteral("/b/"),
                c = tmp.path() + QStringLiteral("/c/");
  for (const auto& [pfad, inhalt] : {std::pair{mitIndex, Skript(zuege, true)}, std::pair{ohneIndex, Skript(zuege, false)},
                                     std::pair{shell, ShellSkript(zuege, c)}}) {
    QFile f(pfad);
    f.open(QIODevice::WriteOnly);
    f.write(inhalt);
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("tree: %d text-XML data files, script: %d \"Verschieben\", %d rounds\n", kOrdner * kDateienJeOrdner,
              kVerschiebungen, kRunden);

  TWerte index, walk, grepSed;
  bool gleich = true;
  for (int r = 0; r < kRunden; ++r) {
    Kopieren(wurzel, a);
    Kopieren(wurzel, b);
    Kopieren(wurzel, c);
    index.z.push_back(SkriptLaufen(a, mitIndex));
    walk.z.push_back(SkriptLaufen(b, ohneIndex));
    grepSed.z.push_back(ShellLaufen(shell));
    if (r == 0) {
      const auto ta = Baum(a), tb = Baum(b), tc = Baum(c), vorher = Baum(wurzel);
      gleich = ta == tb && ta == tc;
      int geaendert = 0;
      for (const auto& [n, inhalt] : ta) geaendert += !vorher.count(n) || vorher.at(n) != inhalt;
      std::printf("trees after the moves: index %s walk, index %s grep+sed (%d files changed or moved)\n",
                  ta == tb ? "==" : "!=", ta == tc ? "==" : "!=", geaendert);
      for (const auto* andere : {&tb, &tc}) {
        int gezeigt = 0;
        for (const auto& [n, inhalt] : ta) {
          if (andere->count(n) && andere->at(n) == inhalt) continue;
          if (gezeigt++ < 3) std::printf("  differs: %s\n", qPrintable(n));
        }
        for (const auto& [n, inhalt] : *andere)
          if (!ta.count(n) && gezeigt++ < 6) std::printf("  only in the other: %s\n", qPrintable(n));
      }
    }
    std::printf("round %d: index %.3f s, walk %.3f s, grep+sed %.3f s\n", r + 1, index.z.back(), walk.z.back(),
                grepSed.z.back());
    std::fflush(stdout);
  }
  std::printf("index:    best %.3f s, median %.3f s\n", index.Beste(), index.Median());
  std::printf("walk:     best %.3f s, median %.3f s\n", walk.Beste(), walk.Median());
  std::printf("grep+sed: best %.3f s, median %.3f s\n", grepSed.Beste(), grepSed.Median());
  std::printf("ratio index/grep+sed: best %.2f, median %.2f (aim: below 1)\n", index.Beste() / grepSed.Beste(),
              index.Median() / grepSed.Median());
  std::printf("ratio walk/grep+sed:  best %.2f, median %.2f (aim: at most 2)\n", walk.Beste() / grepSed.Beste(),
              walk.Median() / grepSed.Median());
  MeldungsListBox = nullptr;
  kiro::bench::MaschinenlastZeigen("end");
  return gleich ? 0 : 1;
}
