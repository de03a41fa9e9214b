#pragma once
// What the install-script analysis needs of a tree view and of the page that explains a failed
// condition, without any widget: the data-file model fills the tree through these, the host
// supplies the widget behind them.
#include <QString>

namespace kiro {

// A tree of captioned nodes with an image index each. A node handle is valid while the tree
// holds the node; the data of a node is a number the filler chooses (the analysis stores the
// index of the script entry, never a pointer into the script).
class IBaumAnsicht {
 public:
  using TKnoten = const void*;
  virtual ~IBaumAnsicht() = default;
  // Inserts a root node before every other root node.
  virtual TKnoten WurzelVorneEinfuegen(const QString& Text, int Bild) = 0;
  // Appends a node as the last child of Eltern; the selected image equals Bild.
  virtual TKnoten KindAnhaengen(TKnoten Eltern, const QString& Text, int Bild, int Daten) = 0;
  // Expands every node of the tree.
  virtual void AllesAufklappen() = 0;
};

// Shows a web page that tells the user why a package cannot be installed.
class IWarnseite {
 public:
  virtual ~IWarnseite() = default;
  virtual void Zeigen(const QString& Adresse) = 0;
};

}  // namespace kiro
