#include "foundation/Systeminfo.h"
#include "testsupport/TempOrdner.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

using namespace kiro;

inline std::ostream& operator<<(std::ostream& o, const QString& s) { return o << '"' << s.toStdString() << '"'; }

namespace {

// A version resource as the product's programs carry one; only the fixed part counts.
constexpr const char* kRc = R"(1 VERSIONINFO
FILEVERSION 3,5,7,0
PRODUCTVERSION 3,5,7,0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040704b0"
    BEGIN
      VALUE "FileVersion", "9.9.9.9"
    END
  END
END
)";
constexpr const char* kCode = ".text\n.globl start\nstart:\n ret\n";

// Windows programs made with mingw-w64's binutils: PE32 (as the product's programs) and PE32+.
class PeDateien : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Ordner = std::make_unique<test::TempOrdner>();
    Ordner->Schreiben(QStringLiteral("v.rc"), kRc);
    Ordner->Schreiben(QStringLiteral("c.s"), kCode);
    Fehler.clear();
    for (const auto& [pfx, emu, name] : {std::tuple{"i686", "i386pe", "32"}, std::tuple{"x86_64", "i386pep", "64"}}) {
      const QString p = QString::fromLatin1(pfx) + QStringLiteral("-w64-mingw32-");
      const QString n = QString::fromLatin1(name);
      // No C preprocessor is installed with binutils alone, and the file needs none.
      Ausfuehren(p + QStringLiteral("windres"), {QStringLiteral("--preprocessor=cat"), QStringLiteral("v.rc"),
                                                 QStringLiteral("-O"), QStringLiteral("coff"), QStringLiteral("-o"),
                                                 QStringLiteral("r") + n + QStringLiteral(".o")});
      Ausfuehren(p + QStringLiteral("as"), {QStringLiteral("c.s"), QStringLiteral("-o"), QStringLiteral("c") + n + QStringLiteral(".o")});
      Ausfuehren(p + QStringLiteral("ld"), {QStringLiteral("-m"), QString::fromLatin1(emu), QStringLiteral("-e"),
                                            QStringLiteral("start"), QStringLiteral("-o"), QStringLiteral("mit") + n + QStringLiteral(".exe"),
                                            QStringLiteral("c") + n + QStringLiteral(".o"), QStringLiteral("r") + n + QStringLiteral(".o")});
      Ausfuehren(p + QStringLiteral("ld"), {QStringLiteral("-m"), QString::fromLatin1(emu), QStringLiteral("-e"),
                                            QStringLiteral("start"), QStringLiteral("-o"), QStringLiteral("ohne") + n + QStringLiteral(".exe"),
                                            QStringLiteral("c") + n + QStringLiteral(".o")});
    }
    // The fuzzer starts from these files when asked.
    const QString korpus = qEnvironmentVariable("KIRO_FUZZ_PE_KORPUS");
    if (Fehler.isEmpty() && !korpus.isEmpty())
      for (const char* d : {"mit32.exe", "mit64.exe", "ohne32.exe"})
        QFile::copy(*Ordner / QString::fromLatin1(d), korpus + u'/' + QString::fromLatin1(d));
  }
  static void TearDownTestSuite() { Ordner.reset(); }

  static void Ausfuehren(const QString& Programm, const QStringList& Argumente) {
    QProcess p;
    p.setWorkingDirectory(Ordner->Pfad());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(Programm, Argumente);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
      Fehler += Programm + QStringLiteral(": ") + p.errorString() + u' ' + QString::fromLocal8Bit(p.readAll());
  }

  void SetUp() override { ASSERT_TRUE(Fehler.isEmpty()) << Fehler; }

  static QByteArray Inhalt(const char* Name) { return test::Lesen(*Ordner / QString::fromLatin1(Name)); }
  static QString Schreiben(const char* Name, const QByteArray& Daten) {
    return Ordner->Schreiben(QString::fromLatin1(Name), Daten);
  }

  static inline std::unique_ptr<test::TempOrdner> Ordner;
  static inline QString Fehler;
};

std::optional<TDateiVersion> AusSpeicher(const QByteArray& d) {
  return PeDateiVersion({reinterpret_cast<const std::uint8_t*>(d.constData()), std::size_t(d.size())});
}

}  // namespace

TEST_F(PeDateien, VersionAusPe32UndPe32Plus) {
  for (const char* name : {"mit32.exe", "mit64.exe"}) {
    std::uint16_t a = 9, b = 9, c = 9, d = 9;
    EXPECT_EQ(DateiVersionLesen(*Ordner / QString::fromLatin1(name), a, b, c, d), QStringLiteral("3.5.7.0")) << name;
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 5);
    EXPECT_EQ(c, 7);
    EXPECT_EQ(d, 0);
  }
  // Each of the four words in its place, beyond what one byte holds.
  QByteArray d = Inhalt("mit32.exe");
  const qsizetype sig = d.indexOf(QByteArray::fromHex("BD04EFFE"));
  ASSERT_GT(sig, 0);
  QByteArray ms = QByteArray::fromHex("2C01FFFF");  // minor 0x012C, major 0xFFFF
  QByteArray ls = QByteArray::fromHex("0100E803");  // build 1, release 1000
  d.replace(sig + 8, 4, ms);
  d.replace(sig + 12, 4, ls);
  EXPECT_EQ(DateiVersionLesen(Schreiben("gross.exe", d)), QStringLiteral("65535.300.1000.1"));
}

TEST_F(PeDateien, KeinVersionsbestandGibtLeer) {
  struct Fall {
    const char* Was;
    QString Pfad;
  };
  const QByteArray mit = Inhalt("mit32.exe");
  const qsizetype sig = mit.indexOf(QByteArray::fromHex("BD04EFFE"));
  ASSERT_GT(sig, 0);
  QByteArray ohneSignatur = mit;
  ohneSignatur[sig] = 0;
  QByteArray fremderSchluessel = mit;
  fremderSchluessel.replace(fremderSchluessel.indexOf(QByteArray("V\0S\0_", 5)), 1, "X");
  QByteArray peVerschoben = mit;
  peVerschoben.replace(0x3C, 4, QByteArray::fromHex("FFFFFF7F"));
  QByteArray keinPe = mit;
  keinPe.replace(0, 2, "ZM");
  Fall faelle[] = {
      {"PE32 without resources", *Ordner / QStringLiteral("ohne32.exe")},
      {"PE32+ without resources", *Ordner / QStringLiteral("ohne64.exe")},
      {"cut off before the version resource", Schreiben("kurz.exe", mit.left(sig))},
      {"cut off in the headers", Schreiben("kopf.exe", mit.left(0x90))},
      {"fixed part without its signature", Schreiben("sig.exe", ohneSignatur)},
      {"version block with another key", Schreiben("schluessel.exe", fremderSchluessel)},
      {"PE header offset far behind the end", Schreiben("weit.exe", peVerschoben)},
      {"no MZ", Schreiben("zm.exe", keinPe)},
      {"ELF program", QStringLiteral("/proc/self/exe")},
      {"text file", Schreiben("liesmich.txt", "Version 3.5.7.0\r\n")},
      {"empty file", Schreiben("leer.exe", QByteArray())},
      {"folder", Ordner->Pfad()},
      {"missing file", *Ordner / QStringLiteral("fehlt.exe")},
      {"empty name", QString()},
  };
  for (const Fall& f : faelle) {
    std::uint16_t a = 9, b = 9, c = 9, d = 9;
    EXPECT_EQ(DateiVersionLesen(f.Pfad, a, b, c, d), QString()) << f.Was;
    EXPECT_EQ(a + b + c + d, 0) << f.Was;
  }
}

TEST_F(PeDateien, FifoWirdNichtGelesen) {
  const QString fifo = *Ordner / QStringLiteral("fifo.exe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_EQ(DateiVersionLesen(fifo), QString());
}

TEST_F(PeDateien, JedesAbgeschnitteneOderVerfaelschteBildOhneAbsturz) {
  // Every prefix, and every byte of the headers and the resource flipped: nothing but the right
  // version or none.
  for (const char* name : {"mit32.exe", "mit64.exe"}) {
    const QByteArray d = Inhalt(name);
    for (qsizetype n = 0; n < d.size(); ++n) {
      const auto v = AusSpeicher(d.left(n));
      if (v) {
        ASSERT_EQ(v->Haupt * 1000 + v->Neben * 100 + v->Release * 10 + v->Build, 3570) << n;
      }
    }
    for (qsizetype i = 0; i < d.size(); ++i) {
      QByteArray k = d;
      k[i] = char(k[i] ^ 0xFF);
      (void)AusSpeicher(k);
    }
  }
}
