#pragma once
// One element of a data file held as a tree: its name, its attributes in document order and its
// child elements. Values are kept plain; they are escaped only when the tree is written.
#include "foundation/KiroTypen.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace kiro {

class TKiroXMLKnoten {
 public:
  TKiroXMLKnoten() = default;
  explicit TKiroXMLKnoten(const QString& Kennung) : Name(Kennung) {}
  TKiroXMLKnoten(const TKiroXMLKnoten&) = delete;
  TKiroXMLKnoten& operator=(const TKiroXMLKnoten&) = delete;

  // Appends a new child element named Kennung and returns it; the node owns it.
  TKiroXMLKnoten* AddChild(const QString& Kennung);

  QString Name;             // "" for the base node of a document
  QList<TParse> Attribute;  // Kennung = name, Wert = plain value; names need not be unique
  std::vector<std::unique_ptr<TKiroXMLKnoten>> Unterknoten;
  // The comments inside the element, each with the number of child elements that stood before
  // it, so that a rewrite puts them back where they were. No child: they are not elements.
  std::vector<std::pair<std::size_t, QString>> Kommentare;
};

}  // namespace kiro
