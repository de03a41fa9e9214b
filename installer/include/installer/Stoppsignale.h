#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C) end Paketlader the normal way instead of
// on the spot, so that every clean-up runs: an unpack removes the file it had begun, locks and
// descriptors are given back.
#include <functional>

namespace kiro {

// From now on each of these signals calls Beenden on the user-interface thread, from its event
// loop (the signal handler itself only wakes that loop). Call on that thread, once an
// application object exists.
void StoppsignaleUmleiten(std::function<void()> Beenden);
// The system's default handling again, as before StoppsignaleUmleiten.
void StoppsignaleZuruecksetzen();

}  // namespace kiro
