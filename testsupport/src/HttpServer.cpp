#include "testsupport/HttpServer.h"

#include <httplib.h>

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <strings.h>

namespace kiro::test {

std::string TAnfrage::Kopf(const std::string& Name) const {
  for (const auto& [k, v] : Kopfzeilen)
    if (::strcasecmp(k.c_str(), Name.c_str()) == 0) return v;
  return {};
}

bool TlsZertifikatErzeugen(const QString& Ordner, const QString& AlternativeNamen, QString* Fehler) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral("openssl"),
          {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
           QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
           QStringLiteral("/CN=Kiro Test"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + AlternativeNamen,
           QStringLiteral("-keyout"), Ordner + QStringLiteral("/schluessel.pem"), QStringLiteral("-out"),
           Ordner + QStringLiteral("/zertifikat.pem")});
  const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (!ok && Fehler) *Fehler = QStringLiteral("openssl: ") + QString::fromLocal8Bit(p.readAll()) + p.errorString();
  return ok;
}

HttpServer::HttpServer() : FServer(std::make_unique<httplib::Server>()) { Starten(); }

HttpServer::HttpServer(const QString& Zertifikat, const QString& Schluessel)
    : FServer(std::make_unique<httplib::SSLServer>(QFile::encodeName(Zertifikat).constData(),
                                                   QFile::encodeName(Schluessel).constData())),
      FTls(true) {
  if (!FServer->is_valid()) throw std::runtime_error("test HTTPS server: certificate or key not usable");
  Starten();
}

void HttpServer::Starten() {
  FServer->set_keep_alive_max_count(100);
  // A stalled answer holds its thread until the stall ends, also after its client has gone: a
  // test that leaves many stalls behind must still be answered at once.
  FServer->new_task_queue = [] { return new httplib::ThreadPool(64); };
  FServer->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    Eintrag e;
    int nummer = 0;
    {
      std::lock_guard lock(FSperre);
      TAnfrage a{req.method, req.path, {}};
      for (const auto& [k, v] : req.headers) a.Kopfzeilen.emplace(k, v);
      FProtokoll.push_back(std::move(a));
      ++FZaehler[req.path];
      auto it = FPfade.find(req.path);
      if (it != FPfade.end()) {
        nummer = it->second.Antworten++;
        e = it->second;
      }
    }
    const TFehlerbild& f = e.Fehler;
    if (f.StauVorKopfMs > 0 && !Warten(f.StauVorKopfMs)) return;
    if (!e.Vorhanden || f.Status != 0) {
      res.status = e.Vorhanden ? f.Status : 404;
      res.set_content("<html><body>Fehler " + std::to_string(res.status) + "</body></html>", "text/html");
      return;
    }
    // The body comes from memory or from a file; both are read piece by piece.
    std::shared_ptr<QFile> datei;
    auto inhalt = std::make_shared<QByteArray>(e.Inhalt);
    std::size_t laenge = std::size_t(inhalt->size());
    if (!e.Datei.isEmpty()) {
      datei = std::make_shared<QFile>(e.Datei);
      if (!datei->open(QIODevice::ReadOnly)) {
        res.status = 500;
        return;
      }
      laenge = std::size_t(datei->size());
    }
    const bool verdorben = nummer < f.VerdorbeneAntworten;
    if (f.Endlos) {
      // Chunked, so no length is announced; the body ends only when the client goes away. With
      // pieces and pauses it trickles, so it neither trips a read time-out nor ends soon.
      auto gesendet = std::make_shared<std::size_t>(0);
      const int schritt = f.BytesProSchritt, pause = f.PauseProSchrittMs;
      res.set_chunked_content_provider("application/octet-stream", [this, inhalt, gesendet, schritt, pause](
                                                                        std::size_t, httplib::DataSink& sink) {
        if (!sink.is_writable() || !Warten(*gesendet > 0 && schritt > 0 ? pause : 0)) return false;
        const int groesse = schritt > 0 ? schritt : 1 << 20;
        QByteArray stueck = *gesendet < std::size_t(inhalt->size()) ? inhalt->mid(qsizetype(*gesendet), groesse)
                                                                    : QByteArray(qMin(groesse, 1 << 16), 'e');
        *gesendet += std::size_t(stueck.size());
        return sink.write(stueck.constData(), std::size_t(stueck.size()));
      });
      return;
    }
    if (!datei && f.StauNachKopfMs == 0 && !f.Abgeschnitten && f.BytesProSchritt == 0 && f.Ueberschuss == 0) {
      std::string body = inhalt->toStdString();
      if (verdorben)
        for (char& c : body) c = static_cast<char>(~c);
      res.set_content(body, "application/octet-stream");
      return;
    }
    const std::size_t angekuendigt = f.Abgeschnitten ? laenge + 1000 : laenge;
    const std::size_t ende = f.Abgeschnitten ? laenge / 2 : laenge;
    const int stau = f.StauNachKopfMs, schritt = f.BytesProSchritt, pause = f.PauseProSchrittMs;
    const int ueberschuss = f.Ueberschuss, ueberschussNach = f.UeberschussNachMs;
    auto gestaut = std::make_shared<bool>(false);
    res.set_content_provider(
        angekuendigt, "application/octet-stream",
        [this, inhalt, datei, ende, stau, schritt, pause, gestaut, verdorben, ueberschuss, ueberschussNach](
            std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          if (!*gestaut) {
            *gestaut = true;
            if (stau > 0 && !Warten(stau)) return false;
          }
          if (offset >= ende) return false;  // a truncated body ends by closing the connection
          std::size_t n = std::min({length, ende - offset, std::size_t(1) << 20});
          if (schritt > 0) {
            n = std::min<std::size_t>(n, schritt);
            if (offset > 0 && pause > 0 && !Warten(pause)) return false;
          }
          QByteArray stueck;
          if (datei) {
            if (!datei->seek(qint64(offset))) return false;
            stueck = datei->read(qint64(n));
            if (stueck.isEmpty()) return false;
          } else {
            stueck = inhalt->mid(qsizetype(offset), qsizetype(n));
          }
          if (verdorben)
            for (char& c : stueck) c = static_cast<char>(~c);
          sink.write(stueck.constData(), std::size_t(stueck.size()));
          // Bytes beyond the announced length: a client that keeps the connection would read
          // them as the start of its next answer.
          if (ueberschuss > 0 && offset + std::size_t(stueck.size()) >= ende) {
            if (ueberschussNach > 0 && !Warten(ueberschussNach)) return false;
            const std::string mehr(std::size_t(ueberschuss), 'u');
            sink.write(mehr.data(), mehr.size());
          }
          return true;
        });
  });
  // As web servers commonly do: a small answer is not held back until the client acknowledges
  // its headers (that waits out the client's delayed acknowledgement, about 40 ms per request).
  FServer->set_tcp_nodelay(true);
  FPort = FServer->bind_to_any_port("127.0.0.1");
  if (FPort <= 0) throw std::runtime_error("test HTTP server: cannot bind 127.0.0.1");
  FFaden = std::thread([this] { FServer->listen_after_bind(); });
  // Bound and listening already; wait until the accept loop runs so that stop() reaches it.
  for (int i = 0; i < 5000 && !FServer->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpServer::~HttpServer() { Beenden(); }

void HttpServer::Beenden() {
  {
    std::lock_guard lock(FSperre);
    FBeendet = true;
  }
  FEnde.notify_all();
  if (FServer) FServer->stop();
  if (FFaden.joinable()) FFaden.join();
}

bool HttpServer::Warten(int Ms) {
  std::unique_lock lock(FSperre);
  return !FEnde.wait_for(lock, std::chrono::milliseconds(Ms), [this] { return FBeendet; });
}

QString HttpServer::BasisUrl() const {
  return QStringLiteral("%1://127.0.0.1:%2").arg(FTls ? QStringLiteral("https") : QStringLiteral("http")).arg(FPort);
}

void HttpServer::Setzen(const std::string& Pfad, const QByteArray& Inhalt) {
  std::lock_guard lock(FSperre);
  auto& e = FPfade[Pfad];
  e.Inhalt = Inhalt;
  e.Datei.clear();
  e.Vorhanden = true;
}

void HttpServer::SetzenDatei(const std::string& Pfad, const QString& Datei) {
  std::lock_guard lock(FSperre);
  auto& e = FPfade[Pfad];
  e.Inhalt.clear();
  e.Datei = Datei;
  e.Vorhanden = true;
}

void HttpServer::Entfernen(const std::string& Pfad) {
  std::lock_guard lock(FSperre);
  FPfade.erase(Pfad);
}

void HttpServer::Fehler(const std::string& Pfad, const TFehlerbild& Fehler) {
  std::lock_guard lock(FSperre);
  auto& e = FPfade[Pfad];
  e.Fehler = Fehler;
  e.Antworten = 0;
}

int HttpServer::Anfragen(const std::string& Pfad) const {
  std::lock_guard lock(FSperre);
  const auto it = FZaehler.find(Pfad);
  return it == FZaehler.end() ? 0 : it->second;
}

std::vector<TAnfrage> HttpServer::Protokoll() const {
  std::lock_guard lock(FSperre);
  return FProtokoll;
}

void HttpServer::ProtokollLeeren() {
  std::lock_guard lock(FSperre);
  FProtokoll.clear();
  FZaehler.clear();
}

}  // namespace kiro::test
