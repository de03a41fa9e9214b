#include "foundation/Ansi.h"

#include <array>

namespace kiro {

namespace {
// 0x80..0x9F of Windows-1252; 0 marks the undefined bytes 81, 8D, 8F, 90, 9D.
constexpr std::array<char16_t, 32> kHoch = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

QString AusAnsi(const QByteArray& Bytes) {
  QString s;
  s.reserve(Bytes.size());
  for (char c : Bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b <= 0x9F && kHoch[b - 0x80] != 0)
      s.append(QChar(kHoch[b - 0x80]));
    else
      s.append(QChar(char16_t(b)));
  }
  return s;
}

QByteArray NachAnsi(const QString& Text) {
  QByteArray out;
  out.reserve(Text.size());
  for (QChar ch : Text) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out.append(char(u));
      continue;
    }
    char b = '?';
    for (std::size_t i = 0; i < kHoch.size(); ++i)
      if (kHoch[i] == u || (kHoch[i] == 0 && u == 0x80 + i)) b = char(0x80 + i);
    out.append(b);
  }
  return out;
}

}  // namespace kiro
