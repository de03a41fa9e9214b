#include "installer/HttpClient.h"

#include <QEventLoop>
#include <QIODevice>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

#include <map>
#include <mutex>

namespace kiro {

namespace {
std::once_flag gCurlInit;
}  // namespace

struct THttpClient::Lauf {
  THttpClient* Client = nullptr;
  CURL* Curl = nullptr;
  QIODevice* Ziel = nullptr;
  QByteArray* Text = nullptr;
  qint64 Grenze = 0;
  qint64 Hoechstens = 0;  // 0: no limit but the announced length
  bool ZuGross = false;
  bool Abgebrochen = false;
  qint64 Empfangen = 0;
  qint64 Gemeldet = 0;  // the count Work was last told
  bool Gesehen = false;  // bytes arrived since the stall timer was last started
  bool Begonnen = false;
  bool KeinErfolg = false;   // a non-2xx status was seen: its body is not kept
  bool Schreibfehler = false;
  long Status = 0;
  // The local event loop the caller waits in, and the time since the last byte received.
  QEventLoop* Schleife = nullptr;
  QTimer* Stau = nullptr;
  bool Fertig = false;
  bool Zeitlimit = false;
  CURLcode Ergebnis = CURLE_OK;

  void Beginnen() {
    if (Begonnen) return;
    Begonnen = true;
    curl_off_t laenge = -1;
    curl_easy_getinfo(Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &laenge);
    if (Client->WorkBegin) Client->WorkBegin(laenge > 0 ? qint64(laenge) : 0);
  }
  void DatenGesehen() { Gesehen = true; }
  // Once per turn of the socket, not for each of the small pieces libcurl hands over: the
  // stall timer starts again and Work hears the new count.
  void Melden() {
    if (Gesehen && Stau) Stau->start();
    Gesehen = false;
    if (Empfangen == Gemeldet) return;
    Gemeldet = Empfangen;
    if (Client->Work) Client->Work(Empfangen);
  }
  void Beenden() {
    if (Schleife) Schleife->quit();
  }
};

// libcurl tells which sockets to watch and when to call it back; Qt's notifiers and one timer
// do the watching, so no thread and no polling are needed.
struct THttpClient::Treiber {
  CURLM* Multi = nullptr;
  std::map<curl_socket_t, std::unique_ptr<QSocketNotifier>> Lesen, Schreiben;
  QTimer Uhr;
  Lauf* Aktuell = nullptr;
  // libcurl must not be re-entered from its own callbacks (a handler there may spin events).
  bool InAktion = false;

  Treiber() {
    Multi = curl_multi_init();
    Uhr.setSingleShot(true);
    QObject::connect(&Uhr, &QTimer::timeout, [this] { Aktion(CURL_SOCKET_TIMEOUT, 0); });
    curl_multi_setopt(Multi, CURLMOPT_SOCKETFUNCTION, &Treiber::Socket);
    curl_multi_setopt(Multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(Multi, CURLMOPT_TIMERFUNCTION, &Treiber::Zeitgeber);
    curl_multi_setopt(Multi, CURLMOPT_TIMERDATA, this);
  }
  ~Treiber() {
    Lesen.clear();
    Schreiben.clear();
    curl_multi_cleanup(Multi);
    // Notifiers the cleanup may have made are never activated again.
    Lesen.clear();
    Schreiben.clear();
  }

  void Aktion(curl_socket_t s, int ereignis) {
    if (InAktion) {
      // Socket notifiers fire again while data waits; the timer is armed again.
      if (s == CURL_SOCKET_TIMEOUT) Uhr.start(1);
      return;
    }
    InAktion = true;
    int laufend = 0;
    curl_multi_socket_action(Multi, s, ereignis, &laufend);
    if (Aktuell) Aktuell->Melden();
    int rest = 0;
    while (CURLMsg* m = curl_multi_info_read(Multi, &rest)) {
      if (m->msg != CURLMSG_DONE || !Aktuell) continue;
      Aktuell->Fertig = true;
      Aktuell->Ergebnis = m->data.result;
      Aktuell->Beenden();
    }
    InAktion = false;
  }

  // Deleted later: libcurl may drop a socket from inside that socket's own notification.
  static void Weg(std::map<curl_socket_t, std::unique_ptr<QSocketNotifier>>& Karte, curl_socket_t s) {
    auto it = Karte.find(s);
    if (it == Karte.end()) return;
    it->second->setEnabled(false);
    it->second.release()->deleteLater();
    Karte.erase(it);
  }

  void Beobachten(std::map<curl_socket_t, std::unique_ptr<QSocketNotifier>>& Karte, curl_socket_t s,
                  QSocketNotifier::Type Art, int Ereignis) {
    if (Karte.count(s)) return;
    auto n = std::make_unique<QSocketNotifier>(qintptr(s), Art);
    QObject::connect(n.get(), &QSocketNotifier::activated, [this, s, Ereignis] { Aktion(s, Ereignis); });
    Karte.emplace(s, std::move(n));
  }

  static int Socket(CURL*, curl_socket_t s, int was, void* nutzer, void*) {
    auto* t = static_cast<Treiber*>(nutzer);
    if (was == CURL_POLL_REMOVE || !(was & CURL_POLL_IN)) Weg(t->Lesen, s);
    if (was == CURL_POLL_REMOVE || !(was & CURL_POLL_OUT)) Weg(t->Schreiben, s);
    if ((was & CURL_POLL_IN) && was != CURL_POLL_REMOVE)
      t->Beobachten(t->Lesen, s, QSocketNotifier::Read, CURL_CSELECT_IN);
    if ((was & CURL_POLL_OUT) && was != CURL_POLL_REMOVE)
      t->Beobachten(t->Schreiben, s, QSocketNotifier::Write, CURL_CSELECT_OUT);
    return 0;
  }

  static int Zeitgeber(CURLM*, long ms, void* nutzer) {
    auto* t = static_cast<Treiber*>(nutzer);
    if (ms < 0) t->Uhr.stop();
    else t->Uhr.start(int(qMin<long>(ms, 1 << 30)));
    return 0;
  }
};

namespace {

size_t Kopfzeile(char* daten, size_t groesse, size_t anzahl, void* nutzer) {
  auto* lauf = static_cast<THttpClient::Lauf*>(nutzer);
  const size_t n = groesse * anzahl;
  lauf->DatenGesehen();
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
  lauf->DatenGesehen();
  if (lauf->KeinErfolg) return 0;  // ends the transfer: an error page is never stored
  lauf->Beginnen();
  curl_off_t angekuendigt = -1;
  curl_easy_getinfo(lauf->Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &angekuendigt);
  const qint64 neu = lauf->Empfangen + qint64(n);
  if ((angekuendigt >= 0 && neu > qint64(angekuendigt)) || (lauf->Hoechstens > 0 && neu > lauf->Hoechstens)) {
    lauf->ZuGross = true;
    return 0;
  }
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
  return n;
}

}  // namespace

THttpClient::THttpClient() {
  std::call_once(gCurlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  FCurl = curl_easy_init();
  FTreiber = std::make_unique<Treiber>();
}

THttpClient::~THttpClient() {
  FTreiber.reset();
  if (FCurl) curl_easy_cleanup(static_cast<CURL*>(FCurl));
}

QString THttpFehler::Deutsch() const {
  switch (Art) {
    case TArt::Keiner: return {};
    case TArt::Schema:
      return QStringLiteral("\"%1\" beginnt nicht mit \"http://\" oder \"https://\"").arg(Text);
    case TArt::Laeuft: return QStringLiteral("eine andere Übertragung läuft noch");
    case TArt::KeinClient: return QStringLiteral("HTTP-Client nicht verfügbar");
    case TArt::Status: return QStringLiteral("HTTP-Status %1").arg(Status);
    case TArt::Zeitlimit: return QStringLiteral("keine Daten seit %1 ms").arg(Ms);
    case TArt::Schreibfehler: return QStringLiteral("die empfangenen Daten konnten nicht gespeichert werden");
    case TArt::Abgebrochen: return QStringLiteral("abgebrochen");
    case TArt::ZuGross: return QStringLiteral("mehr Daten als erlaubt");
    case TArt::Unvollstaendig: return QStringLiteral("Übertragung vorzeitig beendet");
    case TArt::KeineAntwort: return QStringLiteral("keine Antwort vom Server");
    case TArt::Curl: break;
  }
  // libcurl's own messages are English: the German line names the cause in German.
  switch (CURLcode(Code)) {
    case CURLE_COULDNT_RESOLVE_HOST: return QStringLiteral("Servername nicht gefunden");
    case CURLE_COULDNT_CONNECT: return QStringLiteral("keine Verbindung zum Server möglich");
    case CURLE_OPERATION_TIMEDOUT: return QStringLiteral("Zeitüberschreitung beim Verbindungsaufbau");
    case CURLE_PEER_FAILED_VERIFICATION: return QStringLiteral("Zertifikat des Servers nicht vertrauenswürdig");
    case CURLE_SSL_CONNECT_ERROR: return QStringLiteral("TLS-Verbindung fehlgeschlagen");
    case CURLE_PARTIAL_FILE: return QStringLiteral("Antwort unvollständig");
    case CURLE_GOT_NOTHING: return QStringLiteral("keine Antwort vom Server");
    case CURLE_RECV_ERROR: return QStringLiteral("Fehler beim Empfangen");
    case CURLE_SEND_ERROR: return QStringLiteral("Fehler beim Senden");
    case CURLE_UNSUPPORTED_PROTOCOL: return QStringLiteral("Protokoll nicht unterstützt");
    default: return QStringLiteral("Übertragungsfehler (libcurl %1)").arg(Code);
  }
}

QString THttpFehler::Englisch() const {
  switch (Art) {
    case TArt::Keiner: return {};
    case TArt::Schema:
      return QStringLiteral("\"%1\" does not begin with \"http://\" or \"https://\"").arg(Text);
    case TArt::Laeuft: return QStringLiteral("another transfer is running");
    case TArt::KeinClient: return QStringLiteral("no HTTP client");
    case TArt::Status: return QStringLiteral("HTTP status %1").arg(Status);
    case TArt::Zeitlimit: return QStringLiteral("no data for %1 ms").arg(Ms);
    case TArt::Schreibfehler: return QStringLiteral("the received data could not be stored");
    case TArt::Abgebrochen: return QStringLiteral("cancelled");
    case TArt::ZuGross: return QStringLiteral("more data than allowed");
    case TArt::Unvollstaendig: return QStringLiteral("transfer ended early");
    case TArt::KeineAntwort: return QStringLiteral("no answer");
    case TArt::Curl: return Text;
  }
  return Text;
}

bool THttpClient::Holen(const QString& Url, QIODevice& Ziel, THttpFehler* Fehler, qint64 Hoechstens) {
  Lauf lauf;
  lauf.Ziel = &Ziel;
  lauf.Hoechstens = Hoechstens;
  const bool ok = Ausfuehren(Url, lauf, Fehler);
  FZuGross = lauf.ZuGross;
  return ok;
}

void THttpClient::Abbrechen() {
  if (!FTreiber || !FTreiber->Aktuell) return;
  FTreiber->Aktuell->Abgebrochen = true;
  FTreiber->Aktuell->Beenden();
}

bool THttpClient::HolenText(const QString& Url, QByteArray* Text, THttpFehler* Fehler, qint64 Grenze) {
  QByteArray puffer;
  Lauf lauf;
  lauf.Text = &puffer;
  lauf.Grenze = Grenze;
  lauf.Hoechstens = Grenze;
  const bool ok = Ausfuehren(Url, lauf, Fehler);
  FZuGross = lauf.ZuGross;
  if (Text) *Text = puffer;
  return ok;
}

bool THttpClient::Ausfuehren(const QString& Url, Lauf& lauf, THttpFehler* Fehler) {
  using TArt = THttpFehler::TArt;
  auto fehler = [&](TArt Art) {
    if (Fehler) {
      *Fehler = {};
      Fehler->Art = Art;
    }
    return false;
  };
  if (FLaeuft) return fehler(TArt::Laeuft);
  CURL* c = static_cast<CURL*>(FCurl);
  if (!c || !FTreiber || !FTreiber->Multi) return fehler(TArt::KeinClient);
  // Only the scheme asked for is ever spoken; there are no redirects to switch it.
  const QByteArray schema = QUrl(Url).scheme().toLower().toLatin1();
  if (schema != "http" && schema != "https") {
    fehler(TArt::Schema);
    if (Fehler) Fehler->Text = Url;
    return false;
  }

  lauf.Client = this;
  lauf.Curl = c;

  char fehlerpuffer[CURL_ERROR_SIZE] = {};
  const QByteArray url = Url.toUtf8();
  const QByteArray zertifikate = Zertifikatsdatei.toLocal8Bit();
  curl_slist* kopf = nullptr;
  kopf = curl_slist_append(kopf, (QByteArray("Accept: ") + Accept).constData());
  kopf = curl_slist_append(kopf, (QByteArray("Content-Type: ") + ContentType).constData());

  curl_easy_reset(c);
  curl_easy_setopt(c, CURLOPT_URL, url.constData());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, schema.constData());
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, schema.constData());
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!zertifikate.isEmpty()) curl_easy_setopt(c, CURLOPT_CAINFO, zertifikate.constData());
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_PROXY, "");  // never a proxy from the environment
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  // Each request on a connection of its own: bytes an answer carries beyond its length may
  // still be on their way when it ends, and a kept connection would hand them to the next
  // request as its answer.
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, UserAgent);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, kopf);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(VerbindungsZeitlimitMs));
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, fehlerpuffer);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, Kopfzeile);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &lauf);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Schreiben);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &lauf);
  // Large bodies arrive in fewer, larger pieces (libcurl's own default is 16 KiB).
  curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 512L << 10);

  // libcurl's low-speed limit averages over its period, so a stall would run on for seconds
  // after the last byte; the time since the last byte is measured here instead.
  QEventLoop schleife;
  QTimer stau;
  stau.setSingleShot(true);
  stau.setTimerType(Qt::PreciseTimer);
  stau.setInterval(LeseZeitlimitMs);
  QObject::connect(&stau, &QTimer::timeout, &schleife, [&lauf] {
    lauf.Zeitlimit = true;
    lauf.Beenden();
  });
  lauf.Schleife = &schleife;
  lauf.Stau = &stau;

  FLaeuft = true;
  FTreiber->Aktuell = &lauf;
  stau.start();
  curl_multi_add_handle(FTreiber->Multi, c);
  if (!lauf.Fertig) schleife.exec();
  stau.stop();
  curl_multi_remove_handle(FTreiber->Multi, c);
  FTreiber->Aktuell = nullptr;
  lauf.Schleife = nullptr;
  lauf.Stau = nullptr;
  FLaeuft = false;

  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(kopf);
  if (lauf.Begonnen && WorkEnd) WorkEnd();

  if (status != 0 && (status < 200 || status > 299)) {
    fehler(TArt::Status);
    if (Fehler) Fehler->Status = status;
    return false;
  }
  if (lauf.Abgebrochen) return fehler(TArt::Abgebrochen);
  if (lauf.ZuGross) return fehler(TArt::ZuGross);
  if (lauf.Schreibfehler) return fehler(TArt::Schreibfehler);
  if (lauf.Zeitlimit) {
    fehler(TArt::Zeitlimit);
    if (Fehler) Fehler->Ms = LeseZeitlimitMs;
    return false;
  }
  if (!lauf.Fertig) return fehler(TArt::Unvollstaendig);
  const CURLcode erg = lauf.Ergebnis;
  if (erg != CURLE_OK) {
    fehler(TArt::Curl);
    if (Fehler) {
      Fehler->Code = int(erg);
      Fehler->Text = QString::fromUtf8(fehlerpuffer[0] ? fehlerpuffer : curl_easy_strerror(erg));
    }
    return false;
  }
  if (status == 0) return fehler(TArt::KeineAntwort);
  return true;
}

}  // namespace kiro
