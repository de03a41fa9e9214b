#pragma once
// A real HTTP server on 127.0.0.1 with an ephemeral port for tests: serves a map of path ->
// content from its own thread, with per-path faults to inject, and logs every request.
#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace kiro::test {

// Faults of one path. Without any, the path answers 200 with its content.
struct TFehlerbild {
  int Status = 0;                // answer with this status (and a short body) instead of the content
  int StauVorKopfMs = 0;         // wait this long before the status line is sent
  int StauNachKopfMs = 0;        // send the headers, then wait this long before the body
  bool Abgeschnitten = false;    // announce the full length plus 1000 bytes, send half, then close
  int VerdorbeneAntworten = 0;   // the first N answers carry the content with every byte flipped
  int BytesProSchritt = 0;       // send the body in pieces of this size (0: at once) ...
  int PauseProSchrittMs = 0;     // ... with this pause between them
  bool Endlos = false;           // no length announced; after the content, bytes follow without end
  int Ueberschuss = 0;           // after the announced body, this many bytes more on the same connection ...
  int UeberschussNachMs = 0;     // ... sent this long after the body
};

// One request as the server saw it.
struct TAnfrage {
  std::string Methode;
  std::string Pfad;
  std::multimap<std::string, std::string> Kopfzeilen;  // names as the client sent them
  // The value of a header (case-insensitive name); "" when absent.
  std::string Kopf(const std::string& Name) const;
};

// A self-signed certificate made now with the openssl command, valid for the names in
// AlternativeNamen (an openssl subjectAltName list such as "IP:127.0.0.1,DNS:localhost"):
// "<Ordner>/zertifikat.pem" and "<Ordner>/schluessel.pem". False with *Fehler set on failure.
bool TlsZertifikatErzeugen(const QString& Ordner, const QString& AlternativeNamen, QString* Fehler = nullptr);

class HttpServer {
 public:
  // Listens and serves at once: plain http, or https with the certificate and key given.
  HttpServer();
  HttpServer(const QString& Zertifikat, const QString& Schluessel);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  int Port() const { return FPort; }
  // "http://127.0.0.1:<port>", or "https://..." for a server with a certificate.
  QString BasisUrl() const;

  void Setzen(const std::string& Pfad, const QByteArray& Inhalt);
  // Serves a file from disk, read piece by piece while it is sent (for large content).
  void SetzenDatei(const std::string& Pfad, const QString& Datei);
  void Entfernen(const std::string& Pfad);
  void Fehler(const std::string& Pfad, const TFehlerbild& Fehler);

  // Requests answered or at least begun for a path, and all requests in order.
  int Anfragen(const std::string& Pfad) const;
  std::vector<TAnfrage> Protokoll() const;
  void ProtokollLeeren();

  // Ends the server now (a pending stall is cut short); the destructor does it too.
  void Beenden();

 private:
  struct Eintrag {
    QByteArray Inhalt;
    QString Datei;  // when set, the content is this file
    bool Vorhanden = false;
    TFehlerbild Fehler;
    int Antworten = 0;
  };
  // Waits up to Ms, or until the server ends; false when it ends.
  bool Warten(int Ms);
  void Starten();

  std::unique_ptr<httplib::Server> FServer;
  std::thread FFaden;
  int FPort = 0;
  bool FTls = false;
  mutable std::mutex FSperre;
  std::condition_variable FEnde;
  bool FBeendet = false;
  std::map<std::string, Eintrag> FPfade;
  std::vector<TAnfrage> FProtokoll;
  std::map<std::string, int> FZaehler;
};

}  // namespace kiro::test
