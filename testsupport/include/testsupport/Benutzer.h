#pragma once
// Runs a stretch of a test with the file rights of an ordinary user (65534, "nobody"): root
// passes every permission check, so a file that a user "cannot read" needs another user. Only
// the effective ids change, and the destructor puts them back. A test that already runs as an
// ordinary user stays as it is.
#include <gtest/gtest.h>

#include <sys/types.h>
#include <unistd.h>

namespace kiro::test {

class TAlsBenutzer {
 public:
  static constexpr uid_t Kennung = 65534;
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
