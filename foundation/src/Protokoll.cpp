#include "foundation/Protokoll.h"

#include "foundation/Ansi.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"

#include <QFile>

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
QMutex gDateiMutex;  // guards the log file and the box state
std::function<QTime()> gUhr;
// After a failed write has shown its box, further failures stay quiet until a write succeeds,
// so a missing log folder does not bury the user under one box per line.
bool gBoxOffen = false;

QTime Jetzt() {
  QMutexLocker lock(&gDateiMutex);
  return gUhr ? gUhr() : QTime::currentTime();
}

bool InDateiSchreiben(const QString& Zeile) {
  QFile f(Datenverzeichnis + QStringLiteral("temp/exportlog.txt"));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const QByteArray bytes = NachAnsi(Zeile) + "\r\n";
  const bool ok = f.write(bytes) == bytes.size();
  f.close();
  return ok && f.error() == QFileDevice::NoError;
}
}  // namespace

void ProtokollUhrSetzen(std::function<QTime()> Uhr) {
  QMutexLocker lock(&gDateiMutex);
  gUhr = std::move(Uhr);
}

void Protokollieren(const QString& Fehlertext, const QString& Meldung, quint8 Typ) {
  if (Typ == 0) return;
  QString zeile = Meldung;
  if (!Fehlertext.isEmpty()) zeile += QStringLiteral(" (") + Fehlertext + u')';

  if (TMeldungsListe* liste = MeldungsListBox.load()) {
    liste->MeldungAnfuegen(Typ, Jetzt().toString(QStringLiteral("hh:mm:ss:zzz")) + QStringLiteral(": ") + zeile);
    liste->Benachrichtigen();
    return;
  }
  if (Typ != 1 && Typ != 2) return;

  bool zeigen = false;
  {
    QMutexLocker lock(&gDateiMutex);
    if (InDateiSchreiben(zeile)) {
      gBoxOffen = false;
      return;
    }
    zeigen = !gBoxOffen;
    gBoxOffen = true;
  }
  if (zeigen)
    MeldungZeigen(zeile, TMsgDlgType::mtWarning, mbOK, 0);
  else
    std::fprintf(stderr, "%s\n", zeile.toLocal8Bit().constData());
}

void ProtokollierenFehler(int Fehlercode, const QString& Meldung, quint8 Typ) {
  Protokollieren(Fehlercode == 0 ? QString() : SystemFehlertext(Fehlercode), Meldung, Typ);
}

}  // namespace kiro
