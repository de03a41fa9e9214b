#include "launcher/Starter.h"

#include "foundation/Kern.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace kiro::launcher {

namespace {

std::string Systemtext(int fehler) { return std::strerror(fehler); }

bool GleichOhneGrossKlein(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto klein = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (klein(a[i]) != klein(b[i])) return false;
  }
  return true;
}

void AllesSchreiben(int fd, const TRessource& r, const std::string& pfad) {
  std::size_t geschrieben = 0;
  while (geschrieben < r.Groesse) {
    const ssize_t n = ::write(fd, r.Anfang + geschrieben, r.Groesse - geschrieben);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int e = n < 0 ? errno : EIO;
      ::close(fd);
      throw EWriteError("Error writing file \"" + pfad + "\". " + Systemtext(e));
    }
    geschrieben += std::size_t(n);
  }
  if (::close(fd) != 0) throw EWriteError("Error writing file \"" + pfad + "\". " + Systemtext(errno));
}

// Creates or overwrites the file in place. A running Paketlader keeps its executable busy,
// so overwriting it fails here, as it should: the running copy stays intact.
void AnOrtSpeichern(const TRessource& r, const std::string& pfad, mode_t modus) {
  const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, modus);
  if (fd < 0) throw EFCreateError("Cannot create file \"" + pfad + "\". " + Systemtext(errno));
  AllesSchreiben(fd, r, pfad);
  // O_CREAT's mode applies only to a new file; an old copy gets its execute bit back as well.
  ::chmod(pfad.c_str(), modus);
}

// Writes a new copy beside the old one and renames it over: a running Paketlader may have the
// old library mapped, and replacing the file keeps that mapping valid.
void ErsetzendSpeichern(const TRessource& r, const std::string& pfad) {
  const std::string neu = pfad + ".new";
  ::unlink(neu.c_str());
  try {
    AnOrtSpeichern(r, neu, 0644);
  } catch (const Exception&) {
    // A full temp folder leaves no half-written copy behind.
    ::unlink(neu.c_str());
    throw;
  }
  if (::rename(neu.c_str(), pfad.c_str()) != 0) {
    const int e = errno;
    ::unlink(neu.c_str());
    throw EFCreateError("Cannot create file \"" + pfad + "\". " + Systemtext(e));
  }
}

}  // namespace

const TRessource* RessourceFinden(std::span<const TRessource> Ressourcen, std::string_view Name) {
  for (const TRessource& r : Ressourcen)
    if (GleichOhneGrossKlein(r.Name, Name)) return &r;
  return nullptr;
}

void LoesgeloestStarten(const std::string& Pfad) {
  // The program outlives the launcher: it must not hold the launcher's streams open (a pipe
  // reader such as "Paketstarter | tee" would wait for its window to close). Its input is the
  // null device, its output a log file beside it.
  const std::string protokoll = Pfad + std::string(ProtokollEndung);
  posix_spawn_file_actions_t aktionen;
  posix_spawn_file_actions_init(&aktionen);
  posix_spawn_file_actions_addopen(&aktionen, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&aktionen, 1, protokoll.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600);
  posix_spawn_file_actions_adddup2(&aktionen, 1, 2);
  posix_spawn_file_actions_addclosefrom_np(&aktionen, 3);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // A session of its own: closing the launcher's terminal must not end Paketlader.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  char* argv[] = {const_cast<char*>(Pfad.c_str()), nullptr};
  pid_t pid = 0;
  const int e = ::posix_spawn(&pid, Pfad.c_str(), &aktionen, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&aktionen);
  if (e != 0) throw EStartError("Cannot start \"" + Pfad + "\". " + Systemtext(e));
}

int Ausfuehren(std::span<const TRessource> Ressourcen, std::ostream& Ausgabe, const TStarter& Starten) {
  try {
    std::string fehler;
    const std::string temp = BenutzerTempVerzeichnis(&fehler);
    if (temp.empty()) throw ETempFolderError(fehler);

    if (const TRessource* r = RessourceFinden(Ressourcen, "7za")) {
      Ausgabe << "Extracting " << BibliothekPfad << '\n' << std::flush;
      VerzeichnisAnlegen(temp + "_InstSetup/lib/sevenzip");
      ErsetzendSpeichern(*r, temp + std::string(BibliothekPfad));
    }
    if (const TRessource* r = RessourceFinden(Ressourcen, "Paketlader")) {
      Ausgabe << "Extracting " << ProgrammName << '\n' << std::flush;
      AnOrtSpeichern(*r, temp + std::string(ProgrammName), 0755);
    }
    // The started program's own output goes to its log; the line names it, so a program that
    // ends at once (no display, say) can be looked after.
    Ausgabe << "Starting " << ProgrammName << " (log: " << temp << ProgrammName << ProtokollEndung << ")\n"
            << std::flush;
    Starten(temp + std::string(ProgrammName));
    return 0;
  } catch (const Exception& e) {
    Ausgabe << e.KlassenName() << ": " << e.what() << '\n' << std::flush;
  } catch (const std::exception& e) {
    Ausgabe << "Exception: " << e.what() << '\n' << std::flush;
  }
  return 1;
}

}  // namespace kiro::launcher
