#pragma once
// How loaded the machine is while a benchmark runs: its figures mean little on a busy machine.
#include <cstdio>
#include <thread>

namespace kiro::bench {

// Prints the load averages of /proc/loadavg beside the number of cores, with Wann ("start",
// "end") in front.
inline void MaschinenlastZeigen(const char* Wann) {
  double eins = -1, fuenf = -1;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf %lf", &eins, &fuenf) != 2) eins = fuenf = -1;
    std::fclose(f);
  }
  const unsigned kerne = std::thread::hardware_concurrency();
  if (eins < 0)
    std::printf("machine load (%s): unknown, %u cores\n", Wann, kerne);
  else
    std::printf("machine load (%s): %.2f over 1 min, %.2f over 5 min, %u cores\n", Wann, eins, fuenf, kerne);
  std::fflush(stdout);
}

}  // namespace kiro::bench
