#pragma once
// The product's about window. Paketlader creates it hidden right after the main window; it
// holds the application's image collections, from which the windows take their icons by name.
// When shown it paints name, version, folders and system on a 640 : 468 page and closes on
// any key or click; the strip at its bottom opens the product's web site.
#include "bilder/Bildersammlung.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QFontMetrics;
class QLabel;

namespace kiro {

namespace platform {
class TShell;
}
class TLabelQVLink;

// The product's web site behind the bottom strip.
inline const QString kKiroWebseite = QStringLiteral("https://www.kiro.example/");

class TFormInfo : public QWidget {
  Q_OBJECT
 public:
  // Shell opens the web site; without one the desktop's own opener does.
  explicit TFormInfo(QWidget* Eltern = nullptr, std::shared_ptr<platform::TShell> Shell = nullptr);
  ~TFormInfo() override;

  TImageCollection ImageCollectionKiroIcon;
  TImageCollection ImageCollectionKiroDateien;
  TImageCollection ImageCollectionMeldungen;
  TImageCollection ImageCollectionKiroGesamt;

  TLabelQVLink* LabelQVLinkWebseite = nullptr;
  QLabel* VirtualImageKiroLogo = nullptr;

  void FormCreate();
  void LabelQVLinkWebseiteClick();

  // Pixels of a value of the 640-unit layout at the current width (ties to even, like the
  // rounding the layout was drawn with).
  int Einheit(double Wert) const;
  // The page keeps 640 : 468 at every width.
  static int HoeheZuBreite(int Breite);
  // The five folder and system lines as painted, the folder lines shortened to 600 units.
  QStringList Zeilen() const;

  // Keeps the first Anfang characters and as much of the end as fits into about Breite pixels,
  // joined by " ... "; a text that fits is returned whole.
  static QString TextKuerzen(const QString& Text, int Anfang, int Breite, const QFontMetrics& Masse);

 protected:
  void showEvent(QShowEvent* Ereignis) override;
  void keyPressEvent(QKeyEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  bool eventFilter(QObject* Objekt, QEvent* Ereignis) override;

 private:
  void FormPaint();
  void Anordnen();
  std::shared_ptr<platform::TShell> FShell;
};

// The operating system line: on Linux the kernel's name and release ("Linux 6.1.0-18-amd64"),
// at most 51 characters.
QString WindowsVersionText();
// The program's own version, four numbers from the build ("1.0.0.0").
QString ProgrammVersionText();

}  // namespace kiro
