#pragma once
// Cases that need a user whom file permissions bind (a file that cannot be deleted, a folder
// that cannot be written). CI runs as root, whom none of them binds, so there the case runs
// again in a child process as an ordinary user instead of being skipped.
namespace kiro::test {

// The ordinary user the child runs as.
inline constexpr unsigned kNutzerKennung = 65534;

// As root: runs the current test again as user kNutzerKennung (a copy of this program in a
// folder of that user, which is also the child's HOME and TMPDIR), expects it to pass, and
// returns true: the caller then returns. As any other user (that child included) returns false
// and the caller goes on with the case itself.
bool AlsNutzerWiederholt();

}  // namespace kiro::test
