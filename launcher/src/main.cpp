#include "launcher/Starter.h"

#include <iostream>

namespace kiro::launcher {
std::span<const TRessource> EingebetteteRessourcen();
}

int main() {
  using namespace kiro::launcher;
  return Ausfuehren(EingebetteteRessourcen(), std::cout, LoesgeloestStarten);
}
