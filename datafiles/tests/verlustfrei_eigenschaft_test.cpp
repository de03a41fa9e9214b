// The whole-file tree's promise, for every input: a document it agrees to save reads back as the
// same tree and keeps every character but layout (support/Verlustfrei.h says which). Run over
// the cases that showed it broken and over a generated corpus of odd data files.
#include "support/Verlustfrei.h"

#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QCryptographicHash>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

using namespace kiro;
using kiro::test::BaumPruefen;
using kiro::test::Utf16;
using TLog = kiro::test::TProtokollFaenger;

namespace {

// scripts/fuzz.sh seeds the fuzzer with these inputs.
void InDenKorpus(const QByteArray& Datei) {
  const QString korpus = qEnvironmentVariable("KIRO_FUZZ_KORPUS");
  if (korpus.isEmpty()) return;
  QFile f(korpus + u'/' + QString::fromLatin1(QCryptographicHash::hash(Datei, QCryptographicHash::Sha1).toHex()));
  if (f.open(QIODevice::WriteOnly)) f.write(Datei);
}

QString Lesbar(const QByteArray& b) {
  QString s;
  for (unsigned char c : b) s += c >= 0x20 && c < 0x7F ? QString(QChar(c)) : QStringLiteral("\\x%1").arg(c, 2, 16, QChar(u'0'));
  return s;
}

// Data files as users and other programs write them, with the odd parts the reader's forgiving
// grammar would pass over: CDATA, "<!x" tags, comments across lines, "/" and "?" in odd places,
// stray ">", text before the first element and between elements, UTF-16 with surrogates.
class TGenerator {
 public:
  explicit TGenerator(unsigned Saat) : FZufall(Saat) {}

  QByteArray Datei() {
    const bool seltsam = Zahl(2) == 0;  // half of the corpus carries odd parts
    QString t;
    if (Zahl(4) == 0) t += Aus({u"", u" ", u"\r\n", u"\n\n"});
    if (Zahl(2) == 0)
      t += Aus({u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", u"<?xml version='1.0'?>",
                u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>"}) +
           Umbruch();
    if (Zahl(4) == 0) t += Kommentar() + Umbruch();
    t += Element(0, u"Kiro") + Umbruch();
    if (Zahl(6) == 0) t += Kommentar() + Umbruch();
    if (seltsam) {
      for (int n = 1 + Zahl(2); n > 0; --n) {
        const qsizetype stelle = Zahl(int(t.size()) + 1);
        t.insert(stelle, Zahl(3) == 0 ? Aus({u"/", u"?", u">", u"\r\n", u"\"", u"=", u"x"}) : Seltsames());
      }
    }
    switch (Zahl(8)) {
      case 0:
      case 1: {
        QString u = t;
        if (seltsam && Zahl(2) == 0) u.insert(Zahl(int(u.size()) + 1), QChar(Aus<char16_t>({0xD800, 0xDC00, 0xDBFF})));
        return Utf16(u, Zahl(2) == 0);
      }
      case 2:
        return QByteArray("\xEF\xBB\xBF") + t.toUtf8();
      default:
        return t.toUtf8();
    }
  }

 private:
  std::mt19937 FZufall;

  int Zahl(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FZufall); }
  template <class T>
  T Aus(std::initializer_list<T> l) {
    return *(l.begin() + Zahl(int(l.size())));
  }
  QString Aus(std::initializer_list<const char16_t*> l) { return QString::fromUtf16(Aus<const char16_t*>(l)); }

  QString Umbruch() { return Aus({u"\r\n", u"\n", u"\r", u"\r\n", u""}); }
  QString Leer() { return Aus({u" ", u" ", u"  ", u"\t", u"\r\n", u"\n    ", u"\r\n  "}); }
  QString Name() {
    return Aus({u"Info", u"Datei", u"SubSet", u"Vertex", u"AutorEintrag", u"a", u"x:y", u"a?b", u"!x", u"Größe", u"Gleis😀",
                u"Kiro"});
  }
  QString Wert() {
    QString w;
    for (int n = Zahl(4); n > 0; --n)
      w += Aus({u"Strecken\\A\\x.ls3", u"http://x/y", u"/", u"?", u">", u"<", u"&amp;", u"&lt;", u"&#65;", u"&", u"'",
                u"\r\n", u"\n", u"\r", u" ", u"\t", u"äß", u"😀", u"]]>", u"--", u"<!--", u"=", u"{{knoten}}"});
    return w;
  }
  QString Attribute() {
    QString a;
    for (int n = Zahl(4); n > 0; --n) {
      QString w = Wert();
      const QChar q = Zahl(4) == 0 ? u'\'' : u'"';
      w.replace(q, q == u'"' ? QStringLiteral("&quot;") : QStringLiteral("&apos;"));
      a += Leer() + Aus({u"Dateiname", u"Beschreibung", u"AutorID", u"x", u"Wert?"}) + Aus({u"=", u"=", u" = ", u"=\r\n"}) + q +
           w + q;
    }
    return a;
  }
  QString Kommentar() {
    return Aus({u"<!-- eine Zeile -->", u"<!--\r\nAutor\r\nDatum\r\n-->", u"<!--\nAutor\n  Datum\n-->", u"<!---->",
                u"<!--x-->", u"<!-- a/b ? > c -->", u"<!--\r\n\r\n-->", u"<!-- <Datei Dateiname=\"x\"/> -->", u"<!--a\r\n b-->"});
  }
  QString Seltsames() {
    return Aus({u"<![CDATA[http://x/y]]>", u"<![CDATA[a b]]>", u"<!x a/b>", u"<!DOCTYPE Kiro>", u">", u">>", u"/", u"?",
                u"Notiz", u"Text vorn\r\n", u"</x>", u"<Notiz/ Bitte nicht loeschen>", u"<Datei/Dateiname=\"a.ls3\">",
                u"<a\r\nb/>", u"x=\"1\"", u"<?pi a=\"1\"?>", u"< a/>", u"<>", u"</>", u"<!-- Ende --\r\n>",
                u"<a b=\"{{knoten}}\"/>", u"<a/ >", u"<a></a>", u"<a x='\"'/>", u"<?xml version=\"1.0\"?>", u"<\r\nNotiz/>"});
  }
  QString Element(int Tiefe, const char16_t* Fest = nullptr) {
    const QString name = Fest ? QString::fromUtf16(Fest) : Name();
    QString e = u'<' + name + Attribute();
    if (Tiefe > 3 || Zahl(3) == 0) {
      switch (Zahl(5)) {
        case 0:
          return e + QStringLiteral("></") + name + u'>';
        case 1:
          return e + QStringLiteral(" />");
        case 2:
          return e + QStringLiteral("/ >");
        default:
          return e + QStringLiteral("/>");
      }
    }
    e += u'>';
    for (int n = Zahl(4); n > 0; --n) {
      e += Umbruch() + Aus({u"", u"  ", u"\t"});
      e += Zahl(4) == 0 ? Kommentar() : Element(Tiefe + 1);
    }
    return e + Umbruch() + QStringLiteral("</") + name + Aus({u">", u">", u" >", u"\r\n>"});
  }
};

// The cases that showed the tree dropping text, and their neighbours that lose nothing.
TEST(VerlustfreiEigenschaft, GenannteFaelleWerdenVerlustfreiOderGarNichtGeschrieben) {
  const QByteArray info = "<Info>\r\n<Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\r\n</Info>\r\n";
  const auto dok = [&](const QByteArray& Innen) { return "<Kiro>\r\n" + info + Innen + "</Kiro>\r\n"; };
  const struct {
    const char* Fall;
    QByteArray Inhalt;
    bool Geschrieben;
  } faelle[] = {
      {"CDATA holding \"/\"", dok("<![CDATA[http://x/y]]>\r\n"), false},
      {"a \"<!x\" tag holding \"/\"", dok("<!Anmerkung:http://x/y>\r\n"), false},
      {"words after \"/\" in a tag", dok("<Notiz/ Bitte nicht loeschen>\r\n"), false},
      {"an attribute after \"/\"", dok("<Datei/Dateiname=\"a.ls3\">\r\n"), false},
      {"text before the first \"<\"", "Notiz\r\n" + dok(""), false},
      {"element text of \">\" only", dok("<Notiz>></Notiz>\r\n"), false},
      {"a stray \">\" between elements", dok(">\r\n"), false},
      {"\"?\" inside an element", dok("<Notiz ? />\r\n"), false},
      {"an end tag of another name", dok("<Notiz></Anmerkung>\r\n"), false},
      {"a line break inside a name", dok("<Da\r\ntei/>\r\n"), false},
      {"a value that reads as an element", dok("<Notiz a=\"{{knoten}}\"/>\r\n"), false},
      {"a comment's end across a line", dok("<!-- Ende getrennt --\n>\r\n"), false},
      {"a comment opened over line breaks", dok("<!--\r\nAutor\r\nDatum\r\n-->\r\n"), true},
      {"a comment with LF breaks", dok("<!--\n  zwei\n  Zeilen\n-->\r\n"), true},
      {"short forms with a blank", dok("<Notiz/ >\r\n<Notiz a=\"1\" />\r\n<Notiz></Notiz >\r\n"), true},
      {"UTF-16 with a pair", Utf16(QString::fromUtf8(dok("<Notiz a=\"Gleis \xF0\x9F\x9A\x82\"/>\r\n")), true), true},
      {"UTF-16 with a lone high surrogate",
       Utf16(QString::fromUtf8(dok("<Notiz a=\"Gleis X\"/>\r\n")).replace(u'X', QChar(0xD83D)), true), false},
      {"UTF-16 big-endian with a lone low surrogate",
       Utf16(QString::fromUtf8(dok("<Notiz a=\"Gleis X\"/>\r\n")).replace(u'X', QChar(0xDE82)), false), false},
      {"UTF-16 ending in a high surrogate", Utf16(QString::fromUtf8(dok("")) + QChar(0xD83D), true), false},
  };
  kiro::test::TempOrdner ordner;
  TLog log;
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    InDenKorpus(f.Inhalt);
    bool geschrieben = false;
    EXPECT_EQ(BaumPruefen(f.Inhalt, ordner.Pfad(), &geschrieben).toStdString(), "");
    EXPECT_EQ(geschrieben, f.Geschrieben);
  }
}

TEST(VerlustfreiEigenschaft, JedesGespeicherteDokumentHaeltAllesAusserLayout) {
  kiro::test::TempOrdner ordner;
  TLog log;
  TGenerator gen(36);
  int geschriebenZahl = 0, abgelehnt = 0, fehler = 0;
  for (int i = 0; i < 4000 && fehler < 5; ++i) {
    const QByteArray datei = gen.Datei();
    InDenKorpus(datei);
    bool geschrieben = false;
    const QString befund = BaumPruefen(datei, ordner.Pfad(), &geschrieben);
    if (!befund.isEmpty()) {
      ++fehler;
      ADD_FAILURE() << "input " << i << ": " << Lesbar(datei).toStdString() << "\n" << befund.toStdString();
    }
    ++(geschrieben ? geschriebenZahl : abgelehnt);
    log.Zeilen();
  }
  // Both sides of the promise are exercised, not only the refusal.
  EXPECT_GT(geschriebenZahl, 1000);
  EXPECT_GT(abgelehnt, 1000);
}

}  // namespace
