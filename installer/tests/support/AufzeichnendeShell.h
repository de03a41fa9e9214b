#pragma once
// A shell for the window's tests: records what would be opened or started.
#include "platform/Shell.h"

#include <QString>

#include <functional>
#include <vector>

namespace kiro::test {

class TAufzeichnendeShell : public platform::TShell {
 public:
  bool Oeffnen(const QString& Ordner) override {
    Geoeffnet.push_back(Ordner);
    return true;
  }
  bool ProgrammStarten(const QString& Datei) override {
    Gestartet.push_back(Datei);
    if (BeimStart) BeimStart();
    return Ergebnis;
  }
  std::vector<QString> Gestartet, Geoeffnet;
  bool Ergebnis = true;            // what a start reports
  std::function<void()> BeimStart;  // runs at each start, while the window is still in its run
};

}  // namespace kiro::test
