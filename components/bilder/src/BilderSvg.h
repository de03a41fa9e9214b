#pragma once
// The pictures of the collections that are drawn from SVG, on a 32 x 32 grid, by name.
#include <QByteArray>
#include <QString>

#include <vector>

namespace kiro::bilder {

struct TSvgBild {
  QString Name;
  QByteArray Svg;  // a whole SVG document
};

std::vector<TSvgBild> GesamtSvg();
std::vector<TSvgBild> IconSvg();
std::vector<TSvgBild> DateienSvg();
std::vector<TSvgBild> MeldungenSvg();

}  // namespace kiro::bilder
