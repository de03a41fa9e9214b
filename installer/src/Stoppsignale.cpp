#include "installer/Stoppsignale.h"

#include "installer/WebInstallForm.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace kiro {

namespace {

constexpr int kSignale[] = {SIGTERM, SIGINT, SIGHUP};

// The write end is all the handler touches: writing one byte is safe in a signal handler.
int gWeckerSchreiben = -1;
int gWeckerLesen = -1;
// Belongs to the application object, so it goes with it.
QPointer<QSocketNotifier> gWecker;
std::function<void()> gBeenden;

void Wecken(int) {
  const int gesichert = errno;
  const char c = 1;
  [[maybe_unused]] const ssize_t n = ::write(gWeckerSchreiben, &c, 1);
  errno = gesichert;
}

}  // namespace

void StoppsignaleUmleiten(std::function<void()> Beenden) {
  gBeenden = std::move(Beenden);
  if (gWeckerLesen < 0) {
    int rohr[2];
    if (::pipe2(rohr, O_CLOEXEC | O_NONBLOCK) != 0) return;
    gWeckerLesen = rohr[0];
    gWeckerSchreiben = rohr[1];
  }
  if (!gWecker) {
    gWecker = new QSocketNotifier(gWeckerLesen, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(gWecker, &QSocketNotifier::activated, [] {
      char puffer[64];
      while (::read(gWeckerLesen, puffer, sizeof puffer) > 0) {
      }
      if (gBeenden) gBeenden();
    });
  }
  struct sigaction aktion {};
  aktion.sa_handler = &Wecken;
  sigemptyset(&aktion.sa_mask);
  aktion.sa_flags = SA_RESTART;
  for (const int s : kSignale) ::sigaction(s, &aktion, nullptr);
}

void StoppsignaleZuruecksetzen() {
  for (const int s : kSignale) ::signal(s, SIG_DFL);
  gBeenden = {};
}

void TFormWebInstall::ProgrammBeenden() {
  // The mark is what every transfer, refresh, waiting device change, step of a run and unpack
  // asks; the running transfer is ended here, since it waits for the server. The close waits
  // for the run's end when one runs.
  FBeenden = true;
  Abbrechen = true;
  IdHTTPDateien->Abbrechen();
  close();
  QCoreApplication::quit();
}

}  // namespace kiro
