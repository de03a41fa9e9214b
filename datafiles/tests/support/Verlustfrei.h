#pragma once
// The whole-file tree's promise for every input: whenever it agrees to save a document, the
// written file reads back as the same tree, and it holds every character of the input except
// layout. This is the one place that says what layout is; the property test and the reader's
// fuzz target both judge by it.
#include "datafiles/KiroXMLDatei.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

namespace kiro::test {

namespace verlustfrei_intern {

inline bool IstLeer(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// "&lt;" "&gt;" "&quot;" "&apos;" "&amp;", one pass from the left, as a value is read.
inline QString Dekodiert(QStringView v) {
  static const struct {
    QStringView Name;
    QChar Zeichen;
  } tabelle[] = {{u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}, {u"&amp;", u'&'}};
  QString aus;
  for (qsizetype i = 0; i < v.size();) {
    bool gefunden = false;
    for (const auto& e : tabelle) {
      if (v.mid(i).startsWith(e.Name)) {
        aus += e.Zeichen;
        i += e.Name.size();
        gefunden = true;
        break;
      }
    }
    if (!gefunden) aus += v[i++];
  }
  return aus;
}

inline QString Dekodieren(const QByteArray& Datei) {
  // A byte-order mark decides the encoding and is layout; a second one would be a character.
  const auto mit = [](QStringConverter::Encoding e, const QByteArray& b) {
    QStringDecoder d(e, QStringConverter::Flag::ConvertInitialBom);
    return QString(d(b));
  };
  if (Datei.startsWith("\xEF\xBB\xBF")) return mit(QStringConverter::Utf8, Datei.mid(3));
  if (Datei.startsWith("\xFF\xFE")) return mit(QStringConverter::Utf16LE, Datei.mid(2));
  if (Datei.startsWith("\xFE\xFF")) return mit(QStringConverter::Utf16BE, Datei.mid(2));
  return mit(QStringConverter::Utf8, Datei);
}

// The items of one tag from just after its "<" up to its ">"; "/>" (for the declaration "?>")
// gives ">" and the element's end "E".
inline void Tag(const QString& t, qsizetype& i, QStringList& Ziel, bool Deklaration) {
  const qsizetype n = t.size();
  for (;;) {
    while (i < n && IstLeer(t[i])) ++i;
    if (i >= n) {
      Ziel << QStringLiteral("?Ende");
      return;
    }
    const QChar c = t[i];
    if (c == u'"' || c == u'\'') {
      const qsizetype e = t.indexOf(c, i + 1);
      if (e < 0) {
        Ziel << QStringLiteral("?Wert:") + t.mid(i);
        i = n;
        return;
      }
      Ziel << QStringLiteral("V:") + Dekodiert(QStringView(t).mid(i + 1, e - i - 1));
      i = e + 1;
    } else if (c == u'/' || (Deklaration && c == u'?')) {
      qsizetype j = i + 1;
      while (j < n && IstLeer(t[j])) ++j;
      if (j < n && t[j] == u'>') {
        Ziel << QStringLiteral(">") << QStringLiteral("E");
        i = j + 1;
        return;
      }
      Ziel << QString(c);
      ++i;
    } else if (c == u'>') {
      Ziel << QStringLiteral(">");
      ++i;
      return;
    } else if (c == u'=' || c == u'<') {
      Ziel << QString(c);
      ++i;
    } else {
      qsizetype j = i;
      while (j < n && !IstLeer(t[j]) && !QStringView(u"\"'=/<>").contains(t[j])) ++j;
      Ziel << QStringLiteral("N:") + t.mid(i, j - i);
      i = j;
    }
  }
}

}  // namespace verlustfrei_intern

// Text as a UTF-16 file with its byte-order mark; lone surrogates stay as they are.
inline QByteArray Utf16(const QString& Text, bool LittleEndian) {
  QByteArray b = LittleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
  for (QChar c : Text) {
    const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
    b.append(LittleEndian ? lo : hi).append(LittleEndian ? hi : lo);
  }
  return b;
}

// The content of a data file as a list of items, its layout left out: the byte-order mark, the
// declaration at its start, whitespace between items, the quotes around a value (values are
// compared decoded), and whether an element ends with "/>" or with an end tag (whose name
// repeats the element's). What is left, one entry each: "<" and the words of a start tag
// ("N:"), "=", values ("V:"), ">" where the start tag ends, "E" where the element ends,
// comments ("C:") as written, and every other character ("T:"), which a tree cannot hold.
inline QStringList Inhalt(const QByteArray& Datei) {
  using namespace verlustfrei_intern;
  const QString t = Dekodieren(Datei);
  const qsizetype n = t.size();
  QStringList aus;
  qsizetype i = 0;
  while (i < n && IstLeer(t[i])) ++i;
  if (QStringView(t).mid(i).startsWith(u"<?xml") && i + 5 < n && IstLeer(t[i + 5])) {
    QStringList deklaration;
    ++i;
    Tag(t, i, deklaration, true);
  }
  while (i < n) {
    if (IstLeer(t[i])) {
      ++i;
    } else if (QStringView(t).mid(i).startsWith(u"<!--")) {
      const qsizetype e = t.indexOf(QStringLiteral("-->"), i + 4);
      if (e < 0) {
        aus << QStringLiteral("?Kommentar:") + t.mid(i);
        break;
      }
      aus << QStringLiteral("C:") + t.mid(i + 4, e - i - 4);
      i = e + 3;
    } else if (QStringView(t).mid(i).startsWith(u"</")) {
      const qsizetype e = t.indexOf(u'>', i);
      if (e < 0) {
        aus << QStringLiteral("?Endtag:") + t.mid(i);
        break;
      }
      aus << QStringLiteral("E");
      i = e + 1;
    } else if (t[i] == u'<') {
      aus << QStringLiteral("<");
      ++i;
      Tag(t, i, aus, false);
    } else {
      aus << QStringLiteral("T:") + t[i];
      ++i;
    }
  }
  return aus;
}

// The tree as lines: elements with their depth, attributes, comments with their place.
inline QStringList Baumbild(const TKiroXMLKnoten& k, int Tiefe = 0) {
  QStringList z{QString::number(Tiefe) + QStringLiteral("<") + k.Name};
  for (const TParse& a : k.Attribute) z << QStringLiteral("A:") + a.Kennung + u'=' + a.Wert;
  for (const auto& [vor, text] : k.Kommentare) z << QStringLiteral("C%1:").arg(vor) + text;
  for (const auto& kind : k.Unterknoten) z += Baumbild(*kind, Tiefe + 1);
  return z;
}

// Loads Datei (written to Ordner) as the whole-file tree and saves it beside. "" when the tree
// refused to save, or saved and kept its promise; else what broke. Geschrieben: whether it saved.
inline QString BaumPruefen(const QByteArray& Datei, const QString& Ordner, bool* Geschrieben = nullptr) {
  const QString ein = Ordner + QStringLiteral("ein.xml");
  const QString aus = Ordner + QStringLiteral("aus.xml");
  {
    QFile f(ein);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(Datei) != Datei.size())
      return QStringLiteral("cannot write ") + ein;
  }
  QFile::remove(aus);
  TKiroXMLDatei baum;
  baum.LadenDatei(QString(), ein);
  const bool ok = baum.SpeichernDatei(QString(), aus);
  if (Geschrieben) *Geschrieben = ok;
  if (!ok) return QFile::exists(aus) ? QStringLiteral("refused, yet a file was written") : QString();
  QByteArray geschrieben;
  {
    QFile f(aus);
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("saved, yet nothing to read");
    geschrieben = f.readAll();
  }
  TKiroXMLDatei wieder;
  wieder.LadenDatei(QString(), aus);
  if (wieder.Abgeschnitten() || wieder.Verlustbehaftet() || wieder.TextVerworfen())
    return QStringLiteral("the written file does not read back whole:\n") + QString::fromUtf8(geschrieben);
  const QStringList vorher = Baumbild(*baum.Basisknoten()), nachher = Baumbild(*wieder.Basisknoten());
  if (vorher != nachher)
    return QStringLiteral("the written file reads back as another tree:\n") + vorher.join(u'\n') +
           QStringLiteral("\n--- read back:\n") + nachher.join(u'\n');
  const QStringList a = Inhalt(Datei), b = Inhalt(geschrieben);
  if (a != b) {
    qsizetype k = 0;
    while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
    return QStringLiteral("the written file lacks or adds content at item %1: input \"%2\", written \"%3\"\n")
               .arg(k)
               .arg(a.value(k), b.value(k)) +
           QString::fromUtf8(geschrieben);
  }
  return {};
}

}  // namespace kiro::test
