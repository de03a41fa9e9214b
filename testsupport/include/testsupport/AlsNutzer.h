#pragma once
// Cases that need a user whom file permissions bind (a file that cannot be deleted, a folder
// that cannot be written). CI runs as root, whom none of them binds, so there such a case runs
// as an ordinary user instead of being skipped: again in a child process, or a stretch of it
// with that user's effective ids.
#include <gtest/gtest.h>

#include <sys/types.h>
#include <unistd.h>

namespace kiro::test {

// The ordinary user the child runs as.
inline constexpr unsigned kNutzerKennung = 65534;

// As root: runs the current test again as user kNutzerKennung (a copy of this program in a
// folder of that user, which is also the child's HOME and TMPDIR), expects it to pass, and
// returns true: the caller then returns. As any other user (that child included) returns false
// and the caller goes on with the case itself.
bool AlsNutzerWiederholt();

// Runs a stretch of a test with the file rights of that user within this process: only the
// effective ids change, and the destructor puts them back. A test that already runs as an
// ordinary user stays as it is, so what the stretch may not do must bind a file's owner too
// (a folder closed with 0555, a file with 0200 or 0000).
class TAlsBenutzer {
 public:
  static constexpr uid_t Kennung = kNutzerKennung;
  TAlsBenutzer() {
    if (::geteuid() != 0) return;
    FGewechselt = ::setegid(Kennung) == 0 && ::seteuid(Kennung) == 0;
    EXPECT_TRUE(FGewechselt) << "cannot act as user " << Kennung;
  }
  ~TAlsBenutzer() {
    if (!FGewechselt) return;
    EXPECT_EQ(::seteuid(0), 0);
    EXPECT_EQ(::setegid(0), 0);
  }
  TAlsBenutzer(const TAlsBenutzer&) = delete;
  TAlsBenutzer& operator=(const TAlsBenutzer&) = delete;

 private:
  bool FGewechselt = false;
};

}  // namespace kiro::test
