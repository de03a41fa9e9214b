#pragma once
// A FIFO where a program expects a regular file: a reader or writer that opens it waits for the
// other end, for ever. Runs one call on its own thread and tells whether it came back within
// the bound; a call that hangs is freed by opening the FIFO's other end, so the test ends.
#include <QFile>
#include <QString>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro::test {

inline bool FifoAnlegen(const QString& Pfad) { return ::mkfifo(QFile::encodeName(Pfad).constData(), 0600) == 0; }

// Generous for a loaded machine: a hang is endless, a refusal takes microseconds.
inline bool KehrtZurueck(const std::function<void()>& Aufruf, const QString& Fifo,
                         std::chrono::seconds Schranke = std::chrono::seconds(10)) {
  std::promise<void> fertig;
  std::future<void> ende = fertig.get_future();
  std::thread t([&] {
    Aufruf();
    fertig.set_value();
  });
  const bool rechtzeitig = ende.wait_for(Schranke) == std::future_status::ready;
  // Whichever end the call waits at, the other one lets it go on; both stay open until it has,
  // so a write after the open finds its reader.
  const QByteArray name = QFile::encodeName(Fifo);
  std::vector<int> offen;
  while (ende.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    if (offen.empty()) {
      const int leser = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (leser >= 0) offen.push_back(leser);
    } else if (offen.size() == 1) {
      const int schreiber = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (schreiber >= 0) offen.push_back(schreiber);
    } else {
      // A reader that waits for data gets its end of file once the writer goes.
      ::close(offen.back());
      offen.pop_back();
    }
  }
  t.join();
  for (int fd : offen) ::close(fd);
  return rechtzeitig;
}

}  // namespace kiro::test
