#pragma once
// The window's HTTP client: plain GET from the update server, one request at a time, reporting
// its progress as begin, work and end events. A request runs on libcurl's multi interface
// driven by Qt socket notifiers, so the caller's event loop keeps running while it waits.
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

namespace kiro {

// Why a request failed, told in the window's German or English.
struct THttpFehler {
  enum class TArt {
    Keiner,
    Schema,         // the URL is neither http:// nor https:// (Text holds it)
    Laeuft,         // another request runs
    KeinClient,     // libcurl could not be set up
    Status,         // the server answered with Status, not 2xx
    Zeitlimit,      // no byte for Ms milliseconds
    Schreibfehler,  // the received bytes could not be stored
    Abgebrochen,    // the caller cancelled the request
    ZuGross,        // the body passed the length announced or allowed
    Unvollstaendig, // the transfer ended before its answer was complete
    KeineAntwort,   // the server closed without an answer
    Curl,           // libcurl's Code, with its own message in Text
  };
  TArt Art = TArt::Keiner;
  long Status = 0;
  int Ms = 0;
  int Code = 0;
  QString Text;

  QString Deutsch() const;
  QString Englisch() const;
};

class THttpClient {
 public:
  THttpClient();
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // Client settings the update server sees; fixed for the program's run.
  static constexpr const char* UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
  static constexpr const char* Accept = "text/html, */*";
  static constexpr const char* ContentType = "text/html";

  // No byte received for this long ends the request, from the first request on.
  int LeseZeitlimitMs = 5000;
  // The connection must stand within this time.
  int VerbindungsZeitlimitMs = 5000;
  // A file of trusted CA certificates for https; "" trusts the system's CA store.
  QString Zertifikatsdatei;

  // Work events: the expected byte count once the answer's headers are in (0 when the server
  // gives none), the bytes received so far, and the end of the transfer, whatever its outcome.
  std::function<void(qint64 Max)> WorkBegin;
  std::function<void(qint64 Anzahl)> Work;
  std::function<void()> WorkEnd;

  // GET Url (scheme "http" or "https") into Ziel (open for writing). While it waits, the
  // calling thread's events are handled in a local event loop; the caller keeps every other
  // action locked meanwhile. True only for a complete 2xx answer; the body of any other answer
  // is not written. Fehler gets the reason on failure. A body that passes the length the
  // server announced, or Hoechstens bytes (when above 0), is stopped there (see ZuGross): a
  // server that never ends its answer must not fill the disk.
  bool Holen(const QString& Url, QIODevice& Ziel, THttpFehler* Fehler = nullptr, qint64 Hoechstens = 0);
  // GET Url as bytes. A body longer than Grenze is stopped there and fails (see ZuGross): a
  // server that never ends its answer must not hold the caller for ever.
  bool HolenText(const QString& Url, QByteArray* Text, THttpFehler* Fehler = nullptr, qint64 Grenze = 1 << 20);

  // True while a request runs (also in the handlers of events that arrive meanwhile).
  bool Laeuft() const { return FLaeuft; }
  // Whether the last request was stopped for a body longer than allowed.
  bool ZuGross() const { return FZuGross; }
  // Ends the running request now (Cancel, or the program is ending); it fails.
  void Abbrechen();

  // State of one request, shared with libcurl's callbacks.
  struct Lauf;

 private:
  bool Ausfuehren(const QString& Url, Lauf& lauf, THttpFehler* Fehler);
  // The multi handle with its socket notifiers and timer; it outlives every request.
  struct Treiber;
  void* FCurl = nullptr;
  std::unique_ptr<Treiber> FTreiber;
  bool FLaeuft = false;
  bool FZuGross = false;
};

}  // namespace kiro
