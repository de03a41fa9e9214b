// Stands in for Paketlader in the launcher's tests: leaves a marker file with its own path,
// writes a line to each output stream, and stays running for a while when asked to, so its
// executable is busy.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int, char** argv) {
  if (const char* marker = std::getenv("KIRO_TEST_MARKER")) {
    const char* tmp = marker;
    char name[4096];
    std::snprintf(name, sizeof name, "%s.tmp", tmp);
    if (FILE* f = std::fopen(name, "w")) {
      std::fprintf(f, "%s\n", argv[0]);
      std::fclose(f);
      std::rename(name, marker);
    }
  }
  // Where these lines land shows where the launcher sent the program's streams.
  std::printf("payload stdout\n");
  std::fflush(stdout);
  std::fprintf(stderr, "payload stderr\n");
  if (const char* s = std::getenv("KIRO_TEST_SLEEP")) ::usleep(useconds_t(std::atoi(s)) * 1000);
  return 0;
}
