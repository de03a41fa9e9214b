#include "foundation/Protokoll.h"

#include "foundation/Ansi.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Textdatei.h"

#include <cstdio>

namespace kiro {

std::atomic<TMeldungsListe*> MeldungsListBox{nullptr};

TMeldungsListe::TMeldungsListe(TUebernehmen Uebernehmen) : FUebernehmen(std::move(Uebernehmen)) {}

void TMeldungsListe::MeldungAnfuegen(quint8 Typ, const QString& Meldung) {
  QMutexLocker lock(&FSperre);
  FWarteschlange.append(TMeldung{Typ, Meldung});
}

void TMeldungsListe::Benachrichtigen() {
  if (FUebernehmen) FUebernehmen();
}

QList<TMeldung> TMeldungsListe::Entnehmen() {
  QMutexLocker lock(&FSperre);
  return std::exchange(FWarteschlange, {});
}

namespace {
QMutex gDateiMutex;  // guards the log file, its folder, the box state and the kept lines
std::function<QTime()> gUhr;
QString gOrdner;  // folder of the log file; "" for Datenverzeichnis + "temp/"
// After a failed write has shown its box, further failures show no box until a write succeeds,
// so a missing log folder does not bury the user under one box per line.
bool gStraehne = false;
bool gBoxOffen = false;
// Lines of a failure streak: those logged while the box is open are shown when it is answered;
// the others go to the file, before the next line, as soon as it can be written.
QStringList gWartend;
QStringList gNachDerBox;
// Beyond this many kept lines only their number is kept, so a streak cannot eat the memory.
constexpr qsizetype kMaxWartend = 10000;
qsizetype gVerworfen = 0;

QTime Jetzt() {
  QMutexLocker lock(&gDateiMutex);
  return gUhr ? gUhr() : QTime::currentTime();
}

bool InDateiSchreiben(const QString& Zeile) {
  const QString datei =
      (gOrdner.isEmpty() ? Datenverzeichnis + QStringLiteral("temp/") : gOrdner) + QStringLiteral("exportlog.txt");
  QByteArray bytes;
  for (const QString& z : std::as_const(gWartend)) bytes += NachAnsi(z) + "\r\n";
  if (gVerworfen > 0)
    bytes += NachAnsi(QStringLiteral("(%1 weitere Zeilen nicht geschrieben)").arg(gVerworfen)) + "\r\n";
  bytes += NachAnsi(Zeile) + "\r\n";
  // Only a regular file: a FIFO in its place would block every log call under the lock.
  return DateiAnhaengen(datei, bytes);
}

void Aufheben(QStringList& Liste, const QString& Zeile) {
  if (gWartend.size() + gNachDerBox.size() < kMaxWartend)
    Liste.append(Zeile);
  else
    ++gVerworfen;
}
}  // namespace

void ProtokollOrdnerSetzen(const QString& Ordner) {
  QMutexLocker lock(&gDateiMutex);
  gOrdner = Ordner;
  if (!gOrdner.isEmpty() && !gOrdner.endsWith(u'/')) gOrdner += u'/';
}

void ProtokollUhrSetzen(std::function<QTime()> Uhr) {
  QMutexLocker lock(&gDateiMutex);
  gUhr = std::move(Uhr);
}

QString ProtokollzeileKuerzen(const QString& Zeile) {
  constexpr qsizetype kVorn = 400, kHinten = 200;
  if (Zeile.size() <= kVorn + kHinten) return Zeile;
  // A cut never separates the two halves of a surrogate pair.
  qsizetype vorn = kVorn, hinten = Zeile.size() - kHinten;
  if (Zeile[vorn - 1].isHighSurrogate()) --vorn;
  if (Zeile[hinten].isLowSurrogate()) ++hinten;
  return Zeile.left(vorn) + QChar(0x2026) + Zeile.mid(hinten);
}

void Protokollieren(const QString& Fehlertext, const QString& Meldung, quint8 Typ) {
  if (Typ == 0) return;
  QString zeile = Meldung;
  if (!Fehlertext.isEmpty()) zeile += QStringLiteral(" (") + Fehlertext + u')';
  zeile = ProtokollzeileKuerzen(zeile);

  if (TMeldungsListe* liste = MeldungsListBox.load()) {
    liste->MeldungAnfuegen(Typ, Jetzt().toString(QStringLiteral("hh:mm:ss:zzz")) + QStringLiteral(": ") + zeile);
    liste->Benachrichtigen();
    return;
  }
  if (Typ != 1 && Typ != 2) return;

  {
    QMutexLocker lock(&gDateiMutex);
    if (InDateiSchreiben(zeile)) {
      gStraehne = false;
      gWartend.clear();
      gVerworfen = 0;
      return;
    }
    // A desktop user rarely sees the error output; it gets the line all the same.
    std::fprintf(stderr, "%s\n", zeile.toLocal8Bit().constData());
    // A streak that started again while the box still waits joins that box: never two at once.
    if (gStraehne || gBoxOffen) {
      gStraehne = true;
      Aufheben(gBoxOffen ? gNachDerBox : gWartend, zeile);
      return;
    }
    gStraehne = true;
    gBoxOffen = true;
    Aufheben(gWartend, zeile);
  }
  // The box waits for the user; lines logged meanwhile follow in one box when it is answered.
  QString text = zeile;
  for (;;) {
    MeldungZeigen(text, TMsgDlgType::mtWarning, mbOK, 0);
    QMutexLocker lock(&gDateiMutex);
    if (gNachDerBox.isEmpty()) {
      gBoxOffen = false;
      return;
    }
    text = gNachDerBox.join(u'\n');
    // They were shown; they still go to the file once it can be written.
    gWartend.append(gNachDerBox);
    gNachDerBox.clear();
  }
}

void ProtokollierenFehler(int Fehlercode, const QString& Meldung, quint8 Typ) {
  Protokollieren(Fehlercode == 0 ? QString() : SystemFehlertext(Fehlercode), Meldung, Typ);
}

}  // namespace kiro
