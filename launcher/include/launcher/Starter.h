#pragma once
// Paketstarter: writes the 7-Zip library and Paketlader from its own embedded resources into the
// user's temp folder and starts Paketlader. No Qt: it shares only the Qt-free foundation core.
#include <cstddef>
#include <functional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kiro::launcher {

// One file embedded in the program at link time.
struct TRessource {
  const char* Name;
  const unsigned char* Anfang;
  std::size_t Groesse;
};

// The resource of that name, ignoring case; nullptr when the program carries none.
const TRessource* RessourceFinden(std::span<const TRessource> Ressourcen, std::string_view Name);

// Failures end the run with one line: the class name, ": " and the message.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  virtual const char* KlassenName() const { return "Exception"; }
};
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
  const char* KlassenName() const override { return "EFCreateError"; }
};
class EWriteError : public Exception {
 public:
  using Exception::Exception;
  const char* KlassenName() const override { return "EWriteError"; }
};
class ETempFolderError : public Exception {
 public:
  using Exception::Exception;
  const char* KlassenName() const override { return "ETempFolderError"; }
};
class EStartError : public Exception {
 public:
  using Exception::Exception;
  const char* KlassenName() const override { return "EStartError"; }
};

// Starts a program detached, without waiting for it; throws EStartError when it cannot start.
// Its output goes to the file of its path with ProtokollEndung.
using TStarter = std::function<void(const std::string& Pfad)>;
void LoesgeloestStarten(const std::string& Pfad);

inline constexpr std::string_view BibliothekPfad = "_InstSetup/lib/sevenzip/7z.so";
inline constexpr std::string_view ProgrammName = "Paketlader";
inline constexpr std::string_view ProtokollEndung = ".log";

// The whole run. Returns the exit code: 0 on success, 1 after a failure (then nothing is started).
int Ausfuehren(std::span<const TRessource> Ressourcen, std::ostream& Ausgabe, const TStarter& Starten);

}  // namespace kiro::launcher
