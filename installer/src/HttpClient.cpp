#include "installer/HttpClient.h"

#include <QElapsedTimer>
#include <QIODevice>

#include <curl/curl.h>

#include <mutex>

namespace kiro {

namespace {
std::once_flag gCurlInit;

// The events are called from libcurl's callbacks; the host's processing interval keeps
// repaints cheap on fast loopback transfers of many small chunks.
constexpr int kZwischendurchMs = 25;
}  // namespace

struct THttpClient::Lauf {
  THttpClient* Client = nullptr;
  CURL* Curl = nullptr;
  QIODevice* Ziel = nullptr;
  QByteArray* Text = nullptr;
  qint64 Grenze = 0;
  qint64 Empfangen = 0;
  bool Begonnen = false;
  bool KeinErfolg = false;   // a non-2xx status was seen: its body is not kept
  bool Schreibfehler = false;
  long Status = 0;
  QElapsedTimer Uhr;

  void Beginnen() {
    if (Begonnen) return;
    Begonnen = true;
    curl_off_t laenge = -1;
    curl_easy_getinfo(Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &laenge);
    if (Client->WorkBegin) Client->WorkBegin(laenge > 0 ? qint64(laenge) : 0);
  }
};

namespace {

size_t Kopfzeile(char* daten, size_t groesse, size_t anzahl, void* nutzer) {
  auto* lauf = static_cast<THttpClient::Lauf*>(nutzer);
  const size_t n = groesse * anzahl;
  // The blank line ends the headers: now the status and the length are known.
  if (n <= 2 && (n == 0 || daten[0] == '\r' || daten[0] == '\n')) {
    curl_easy_getinfo(lauf->Curl, CURLINFO_RESPONSE_CODE, &lauf->Status);
    if (lauf->Status >= 100 && lauf->Status < 200) return n;  // an interim answer; the real one follows
    if (lauf->Status < 200 || lauf->Status > 299) lauf->KeinErfolg = true;
    lauf->Beginnen();
  }
  return n;
}

size_t Schreiben(char* daten, size_t groesse, size_t anzahl, void* nutzer) {
  auto* lauf = static_cast<THttpClient::Lauf*>(nutzer);
  const size_t n = groesse * anzahl;
  if (lauf->KeinErfolg) return 0;  // ends the transfer: an error page is never stored
  lauf->Beginnen();
  if (lauf->Ziel) {
    if (lauf->Ziel->write(daten, qint64(n)) != qint64(n)) {
      lauf->Schreibfehler = true;
      return 0;
    }
  } else if (lauf->Text) {
    const qint64 platz = lauf->Grenze - lauf->Text->size();
    if (platz > 0) lauf->Text->append(daten, int(qMin<qint64>(platz, qint64(n))));
  }
  lauf->Empfangen += qint64(n);
  if (lauf->Client->Work) lauf->Client->Work(lauf->Empfangen);
  return n;
}

int Fortschritt(void* nutzer, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* lauf = static_cast<THttpClient::Lauf*>(nutzer);
  if (lauf->Client->Zwischendurch && lauf->Uhr.elapsed() >= kZwischendurchMs) {
    lauf->Client->Zwischendurch();
    lauf->Uhr.restart();
  }
  return 0;
}

}  // namespace

THttpClient::THttpClient() {
  std::call_once(gCurlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  FCurl = curl_easy_init();
}

THttpClient::~THttpClient() {
  if (FCurl) curl_easy_cleanup(static_cast<CURL*>(FCurl));
}

bool THttpClient::Holen(const QString& Url, QIODevice& Ziel, QString* Fehler) {
  Lauf lauf;
  lauf.Ziel = &Ziel;
  return Ausfuehren(Url, lauf, Fehler);
}

bool THttpClient::HolenText(const QString& Url, QByteArray* Text, QString* Fehler, qint64 Grenze) {
  QByteArray puffer;
  Lauf lauf;
  lauf.Text = &puffer;
  lauf.Grenze = Grenze;
  const bool ok = Ausfuehren(Url, lauf, Fehler);
  if (Text) *Text = puffer;
  return ok;
}

bool THttpClient::Ausfuehren(const QString& Url, Lauf& lauf, QString* Fehler) {
  auto fehler = [&](const QString& text) {
    if (Fehler) *Fehler = text;
    return false;
  };
  if (FLaeuft) return fehler(QStringLiteral("another transfer is running"));
  CURL* c = static_cast<CURL*>(FCurl);
  if (!c) return fehler(QStringLiteral("no HTTP client"));

  lauf.Client = this;
  lauf.Curl = c;
  lauf.Uhr.start();

  char fehlerpuffer[CURL_ERROR_SIZE] = {};
  const QByteArray url = Url.toUtf8();
  curl_slist* kopf = nullptr;
  kopf = curl_slist_append(kopf, (QByteArray("Accept: ") + Accept).constData());
  kopf = curl_slist_append(kopf, (QByteArray("Content-Type: ") + ContentType).constData());

  curl_easy_reset(c);
  curl_easy_setopt(c, CURLOPT_URL, url.constData());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_PROXY, "");  // never a proxy from the environment
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, UserAgent);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, kopf);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(VerbindungsZeitlimitMs));
  // The read time-out: fewer than one byte a second over the whole period ends the request.
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long((LeseZeitlimitMs + 999) / 1000));
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, fehlerpuffer);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, Kopfzeile);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &lauf);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Schreiben);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &lauf);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Fortschritt);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &lauf);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);

  FLaeuft = true;
  const CURLcode erg = curl_easy_perform(c);
  FLaeuft = false;
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(kopf);
  if (lauf.Begonnen && WorkEnd) WorkEnd();

  if (status != 0 && (status < 200 || status > 299)) return fehler(QStringLiteral("HTTP %1").arg(status));
  if (lauf.Schreibfehler) return fehler(QStringLiteral("write error"));
  if (erg != CURLE_OK)
    return fehler(QString::fromUtf8(fehlerpuffer[0] ? fehlerpuffer : curl_easy_strerror(erg)));
  if (status == 0) return fehler(QStringLiteral("no answer"));
  return true;
}

}  // namespace kiro
