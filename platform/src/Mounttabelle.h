#pragma once
// Shared reading of the kernel's mount table (/proc/self/mountinfo) for the platform layer.
#include <QByteArray>

namespace kiro::platform {

// The mount table writes blank, tab, line break and backslash in a path as "\ooo".
inline QByteArray OktalEntschluesseln(const QByteArray& Feld) {
  QByteArray aus;
  aus.reserve(Feld.size());
  auto oktal = [](char c) { return c >= '0' && c <= '7'; };
  for (qsizetype i = 0; i < Feld.size(); ++i) {
    if (Feld[i] == '\\' && i + 3 < Feld.size() && oktal(Feld[i + 1]) && oktal(Feld[i + 2]) &&
        oktal(Feld[i + 3])) {
      aus += char(((Feld[i + 1] - '0') << 6) | ((Feld[i + 2] - '0') << 3) | (Feld[i + 3] - '0'));
      i += 3;
    } else {
      aus += Feld[i];
    }
  }
  return aus;
}

}  // namespace kiro::platform
