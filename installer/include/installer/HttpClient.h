#pragma once
// The window's HTTP client: plain GET from the update server with libcurl's easy interface,
// one blocking request at a time, reporting its progress as begin, work and end events.
#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace kiro {

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

  // No data for this long ends the request, from the first request on.
  int LeseZeitlimitMs = 5000;
  // The connection must stand within this time.
  int VerbindungsZeitlimitMs = 5000;

  // Work events: the expected byte count once the answer's headers are in (0 when the server
  // gives none), the bytes received so far, and the end of the transfer, whatever its outcome.
  std::function<void(qint64 Max)> WorkBegin;
  std::function<void(qint64 Anzahl)> Work;
  std::function<void()> WorkEnd;
  // Called now and then while a request waits or receives, on the calling thread: the host
  // lets its window repaint and see Cancel there. It must not start a request itself.
  std::function<void()> Zwischendurch;

  // GET Url into Ziel (open for writing). True only for a complete 2xx answer; the body of any
  // other answer is not written. Fehler gets a short reason on failure.
  bool Holen(const QString& Url, QIODevice& Ziel, QString* Fehler = nullptr);
  // GET Url as bytes (at most Grenze bytes are kept).
  bool HolenText(const QString& Url, QByteArray* Text, QString* Fehler = nullptr, qint64 Grenze = 1 << 20);

  // True while a request runs (also inside Zwischendurch).
  bool Laeuft() const { return FLaeuft; }

 // State of one request, shared with libcurl's callbacks.
  struct Lauf;

 private:
  bool Ausfuehren(const QString& Url, Lauf& lauf, QString* Fehler);
  void* FCurl = nullptr;
  bool FLaeuft = false;
};

}  // namespace kiro
