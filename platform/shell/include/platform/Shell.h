#pragma once
// Opening folders, web pages and installed programs the way the desktop does. Behind an
// interface so tests record the calls instead of starting anything.
#include <QString>

namespace kiro::platform {

class TShell {
 public:
  virtual ~TShell() = default;
  // Opens a folder in the file manager or a web address in the browser.
  virtual bool Oeffnen(const QString& OrdnerOderAdresse) = 0;
  // Starts an installed program: an executable file directly (working folder = its folder),
  // anything else through the desktop's opener. False when the start failed.
  virtual bool ProgrammStarten(const QString& Datei) = 0;
};

// The desktop's own opener (QDesktopServices) and QProcess.
class TDesktopShell : public TShell {
 public:
  bool Oeffnen(const QString& OrdnerOderAdresse) override;
  bool ProgrammStarten(const QString& Datei) override;
};

}  // namespace kiro::platform
