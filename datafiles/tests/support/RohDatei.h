#pragma once
// Files by the bytes of their paths, which a text cannot always hold (names that are no UTF-8).
#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdio>

namespace kiro::test {

inline void RohSchreiben(const QByteArray& Pfad, const QByteArray& Inhalt) {
  std::FILE* f = std::fopen(Pfad.constData(), "wb");
  ASSERT_NE(f, nullptr) << Pfad.toStdString();
  std::fwrite(Inhalt.constData(), 1, std::size_t(Inhalt.size()), f);
  std::fclose(f);
}

// The file's bytes; "<fehlt>" when it cannot be opened.
inline QByteArray RohLesen(const QByteArray& Pfad) {
  std::FILE* f = std::fopen(Pfad.constData(), "rb");
  if (!f) return "<fehlt>";
  QByteArray b;
  char puffer[4096];
  for (std::size_t n; (n = std::fread(puffer, 1, sizeof puffer, f)) > 0;) b.append(puffer, qsizetype(n));
  std::fclose(f);
  return b;
}

}  // namespace kiro::test
