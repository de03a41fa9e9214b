#pragma once
// A collection of images by name, each in several sizes, as the windows of the application
// take them: an icon for buttons and a pixmap of a given size for image components.
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace kiro {

class TImageCollection {
 public:
  // Adds (or replaces) an image; the icon should hold every size it is drawn in.
  void Hinzufuegen(const QString& Name, const QIcon& Bild);
  bool Enthaelt(const QString& Name) const { return FBilder.contains(Name); }
  // The image of that name; a null icon when the collection has none.
  QIcon Icon(const QString& Name) const;
  // The image drawn at Breite x Hoehe device-independent pixels; null when missing.
  QPixmap Pixmap(const QString& Name, int Breite, int Hoehe, qreal Pixelfaktor = 1.0) const;
  // Names in the order they were added.
  const QStringList& Namen() const { return FNamen; }

 private:
  QHash<QString, QIcon> FBilder;
  QStringList FNamen;
};

// Fill the info window's collections with their images. The general one holds the main
// window's lights and flags and the dialogs' tool icons; the others hold the product icon
// "icon_kiro", the file-type icons ("KiroDateitypen\..." and "icon_sound") and the message
// icons ("icon_datei", "Fehlersymbole\...", the two network directions).
void KiroGesamtBilderEintragen(TImageCollection& Sammlung);
void KiroIconBilderEintragen(TImageCollection& Sammlung);
void KiroDateienBilderEintragen(TImageCollection& Sammlung);
void MeldungenBilderEintragen(TImageCollection& Sammlung);

// The general collection of the running program (held by its info window); nullptr while none
// is registered. Image lookups through it with a missing collection give null images.
TImageCollection* ImageCollectionKiroGesamt();
void ImageCollectionKiroGesamtSetzen(TImageCollection* Sammlung);

}  // namespace kiro
