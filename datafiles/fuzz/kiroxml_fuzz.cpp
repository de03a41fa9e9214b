// libFuzzer target of the XML reader: any bytes, read from a file as a data file is, with
// callbacks that accept, refuse or skip items by their name, so every path of the grammar and
// of the nesting guard is walked; the same bytes as embedded text, and as a value written and
// read back, without its line breaks and, as the whole-file tree reads, with them; and the same
// file through the whole-file tree, which saves it only when it keeps its promise.
#include "datafiles/KiroXML.h"
#include "support/Verlustfrei.h"

#include "foundation/Protokoll.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
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

// Writes Wert as the one attribute of a document, reads it back (with or without the line
// breaks kept) and aborts unless it comes back as it was.
void WertZurueck(const QString& Wert, bool Umbrueche, TInfo& Info) {
  TKiroXML w;
  if (!w.SpeichernDatei(Ordner(), QStringLiteral("r.xml"), [&](void*) { w.Schreibe(QStringLiteral("w"), Wert); return false; },
                        nullptr))
    std::abort();
  QString gelesen;
  TKiroXML r;
  r.UmbruecheBehalten = Umbrueche;
  TParserProc proc = [&](TParse& p, void*) -> TParseErg {
    if (p.Wert == QStringView(KnotenMarke)) {
      r.LadenXML(proc, nullptr, false, QString());
      return ParseOK;
    }
    if (p.Kennung == u"w") gelesen = p.Wert;
    return ParseOK;
  };
  r.LadenDatei(Ordner(), QStringLiteral("r.xml"), Info, proc, nullptr);
  // The file holds the value as UTF-8, so compare with what UTF-8 can carry; a U+FEFF at the
  // value's start is a character of the value here, not a byte-order mark to drop.
  // (A value of exactly "{{knoten}}" is told as an element; the dialect cannot say otherwise.)
  QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
  const QString erwartet = utf8(Wert.toUtf8());
  if (Wert != QStringView(KnotenMarke) && (gelesen != erwartet || !r.Vollstaendig() || r.TextVerworfen()))
    std::abort();
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
  TInfo info;
  {
    TKiroXML x;
    TLauf lauf{&x};
    if (!x.LadenDatei(Ordner(), QStringLiteral("f.xml"), info, lauf.Proc(), nullptr)) std::abort();
    if (lauf.Tiefe != 0) std::abort();
  }
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(Daten), qsizetype(Groesse));
  {
    // The same text as an embedded file: one line, CR and LF are ordinary characters.
    TEingebundeneDateien speicher;
    speicher.Namen << QStringLiteral("E.XML");
    speicher.Texte << text;
    EingebundeneDateien = &speicher;
    TKiroXML x;
    TLauf lauf{&x};
    const bool ok = x.LadenDatei(Ordner(), QStringLiteral("e.xml"), info, lauf.Proc(), nullptr);
    EingebundeneDateien = nullptr;
    if (!ok && !text.isEmpty()) std::abort();
  }
  // Any value without line breaks reads back exactly as it was written; read as the whole-file
  // tree reads (line breaks kept), any value does, its breaks included, so a rewrite writes back
  // what the file held.
  QString ohneUmbrueche = text;
  ohneUmbrueche.remove(u'\r').remove(u'\n');
  WertZurueck(ohneUmbrueche, false, info);
  WertZurueck(text, true, info);
  // A document the tree agrees to save reads back as the same tree and keeps all but layout.
  const QString befund = kiro::test::BaumPruefen(QByteArray(reinterpret_cast<const char*>(Daten), qsizetype(Groesse)), Ordner());
  if (!befund.isEmpty()) {
    std::fprintf(stderr, "whole-file tree: %s\n", befund.toLocal8Bit().constData());
    std::abort();
  }
  liste.Entnehmen();
  return 0;
}
