#pragma once
// The product's about window. Paketlader creates it hidden right after the main window; it
// holds the application's image collections, from which the windows take their icons by name.
#include "bilder/Bildersammlung.h"

#include <QWidget>

namespace kiro {

class TFormInfo : public QWidget {
  Q_OBJECT
 public:
  explicit TFormInfo(QWidget* Eltern = nullptr);
  ~TFormInfo() override;

  TImageCollection ImageCollectionKiroGesamt;

  void FormCreate();

 protected:
  void keyPressEvent(QKeyEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
};

}  // namespace kiro
