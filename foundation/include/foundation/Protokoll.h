#pragma once
// The one logging routine of the system and the optional message list that shows lines live.
#include <QList>
#include <QMutex>
#include <QString>
#include <QTime>

#include <atomic>
#include <functional>

namespace kiro {

// One queued line of the message list.
struct TMeldung {
  quint8 Typ = 0;
  QString Meldung;
};

// The message list of a host program: a queue of lines guarded by its own lock. The host takes
// the lines over in its notification (the user-interface thread's handler), synchronously.
class TMeldungsListe {
 public:
  using TUebernehmen = std::function<void()>;
  explicit TMeldungsListe(TUebernehmen Uebernehmen = {});
  virtual ~TMeldungsListe() = default;
  TMeldungsListe(const TMeldungsListe&) = delete;
  TMeldungsListe& operator=(const TMeldungsListe&) = delete;

  // Appends one line to the queue, under the list's lock.
  void MeldungAnfuegen(quint8 Typ, const QString& Meldung);
  // Tells the host that lines are queued; returns when the host has handled them.
  virtual void Benachrichtigen();
  // Takes every queued line out of the queue, oldest first.
  QList<TMeldung> Entnehmen();

 private:
  QMutex FSperre;
  QList<TMeldung> FWarteschlange;
  TUebernehmen FUebernehmen;
};

// A log line as it may be shown: a line carries names from scripts, archives and servers, and a
// name of megabytes would hold the window that lays it out. A line of more than 600 characters
// keeps its first 400 and its last 200 with "…" between, so both its own text and the end of the
// name stay readable.
QString ProtokollzeileKuerzen(const QString& Zeile);

// The host's message list, or nullptr when there is none.
extern std::atomic<TMeldungsListe*> MeldungsListBox;

// Logs one line: type 0 is not logged; a non-empty Fehlertext is appended as " (Fehlertext)".
// With a message list every other type goes there behind the time "hh:nn:ss:zzz: "; without
// one, types 1 and 2 are appended to Datenverzeichnis + "temp/exportlog.txt" (see
// ProtokollOrdnerSetzen) and the rest is dropped. When the file cannot be written, the first line
// of such a streak shows a warning box; the streak's other lines are kept and written before the
// next line that reaches the file, and those logged while the box is open are shown when it is
// answered. Never throws.
void Protokollieren(const QString& Fehlertext, const QString& Meldung, quint8 Typ);
// As Protokollieren, with the system's text for an error number (errno) as error text.
void ProtokollierenFehler(int Fehlercode, const QString& Meldung, quint8 Typ);

// The folder of the log file "exportlog.txt" when there is no message list; "" (the start) for
// Datenverzeichnis + "temp/". A program whose data folder may lack "temp" sets a folder that exists.
void ProtokollOrdnerSetzen(const QString& Ordner);

// The clock of the time stamps; tests set a fixed one. An empty function restores the real one.
void ProtokollUhrSetzen(std::function<QTime()> Uhr);

}  // namespace kiro
