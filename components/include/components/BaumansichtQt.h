#pragma once
// The tree and the warning page of the install-script analysis on real widgets: a QTreeWidget
// behind IBaumAnsicht, and the desktop's opener (through the shell seam) behind IWarnseite.
#include "components/Baumansicht.h"

#include <QIcon>
#include <QTreeWidget>

#include <functional>

namespace kiro {

namespace platform {
class TShell;
}

class TBaumAnsichtQt : public IBaumAnsicht {
 public:
  // Where a node keeps the filler's number and its image index (the selected image is the same).
  static constexpr int DatenRolle = Qt::UserRole;
  static constexpr int BildRolle = Qt::UserRole + 1;
  // The host's images by index; none: the nodes carry only the index.
  using TBilder = std::function<QIcon(int Bild)>;

  // Baum is borrowed and must outlive this adapter.
  explicit TBaumAnsichtQt(QTreeWidget& Baum, TBilder Bilder = {});

  TKnoten WurzelVorneEinfuegen(const QString& Text, int Bild) override;
  TKnoten KindAnhaengen(TKnoten Eltern, const QString& Text, int Bild, int Daten) override;
  void AllesAufklappen() override;

 private:
  QTreeWidgetItem* Knoten(const QString& Text, int Bild) const;
  QTreeWidget& FBaum;
  TBilder FBilder;
};

// Opens the warning page in the user's browser.
class TWarnseiteShell : public IWarnseite {
 public:
  explicit TWarnseiteShell(platform::TShell& Shell) : FShell(Shell) {}
  void Zeigen(const QString& Adresse) override;

 private:
  platform::TShell& FShell;
};

}  // namespace kiro
