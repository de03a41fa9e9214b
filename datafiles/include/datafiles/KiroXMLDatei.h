#pragma once
// A whole data file of any type as a tree of elements and attributes: loaded through the
// product's XML reader, changed in place and written back in the dialect's layout. Nothing is
// checked on loading (root, header, version); every element and attribute is kept in order.
#include "datafiles/KiroXML.h"
#include "datafiles/KiroXMLKnoten.h"

#include "foundation/KiroTypen.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace kiro {

class TKiroXMLDatei {
 public:
  TKiroXMLDatei();
  virtual ~TKiroXMLDatei();
  TKiroXMLDatei(const TKiroXMLDatei&) = delete;
  TKiroXMLDatei& operator=(const TKiroXMLDatei&) = delete;

  // Replaces the tree by the file's content, attribute values with their line breaks as the
  // file has them (the reader's path rules apply: an absolute name
  // stands alone, an empty folder means the official data folder). Returns the child element
  // read last below an element "Kiro" (for a usual data file its content element), or nullptr.
  TKiroXMLKnoten* LadenDatei(const QString& Pfad, const QString& DateiName);
  // The same for a file the caller has opened; DateiName names it in messages.
  TKiroXMLKnoten* LadenOffen(int Fd, const QString& DateiName);

  // Writes the tree to Pfad + DateiName (DateiName alone when absolute) through the one replace
  // routine (a fresh "name~", renamed over the old file in one step, its mode kept); comments go
  // back where they stood. Only a document whose one top-level element is "Kiro", read whole,
  // with every byte decoded and no text passed over, is written:
  // anything else would lose content. False, with a log line, when nothing was written; the
  // old file is then untouched.
  virtual bool SpeichernDatei(const QString& Pfad, const QString& DateiName);

  // The unnamed node whose children are the document's top-level elements; the same node for
  // the object's whole life.
  TKiroXMLKnoten* Basisknoten() const { return pBasisKnoten.get(); }

  // Append an attribute (no search for an existing one; empty and zero values are kept).
  void Schreibe(TKiroXMLKnoten& Knoten, const QString& Kennung, const QString& Wert);
  void SchreibeInt(TKiroXMLKnoten& Knoten, const QString& Kennung, std::int32_t Wert);
  void SchreibeInt(TKiroXMLKnoten& Knoten, const QString& Kennung, std::int64_t Wert);
  void SchreibeD3DColor(TKiroXMLKnoten& Knoten, const QString& Kennung, std::uint32_t Wert);
  void SchreibeFloat(TKiroXMLKnoten& Knoten, const QString& Kennung, float Wert);
  void SchreibeFloat6(TKiroXMLKnoten& Knoten, const QString& Kennung, float Wert);
  void SchreibeBool(TKiroXMLKnoten& Knoten, const QString& Kennung, bool Wert);
  void SchreibeZeitDatum(TKiroXMLKnoten& Knoten, const QString& Kennung, double Wert, bool Millisekunden);

  // Appends the "AutorEintrag" children of "Info" (the first child of a root "Kiro") to
  // Autoren. False when the document's root is not "Kiro".
  bool KiroAutorenAuslesen(TAutoren& Autoren) const;

  // Whether the last load stopped before its input was complete (read error, levels left
  // open at the end, nesting too deep).
  bool Abgeschnitten() const { return FAbgeschnitten; }
  // Whether the last load met bytes that did not decode; such a tree is not written back.
  bool Verlustbehaftet() const { return FVerlustbehaftet; }
  // Whether the last load passed over text that is no element, attribute or comment (element
  // text, a stray ">", words after "/", a declaration not at the start, ...); such a tree is
  // not written back either.
  bool TextVerworfen() const { return FTextVerworfen; }

 protected:
  // Reader callback that builds the tree; pDaten is the node being filled.
  virtual TParseErg BaumLesen(TParse& Parse, void* pDaten);
  // Reads the content of the current element with ParserProc; without a reader it does nothing.
  virtual void KnotenLesen(void* pDaten, const TParserProc& ParserProc);
  TParseErg XmlDeklarationLesen(TParse& Parse, void* pDaten);
  // Empties the tree, lets Lesen run the reader with the tree's callback and keeps its findings.
  TKiroXMLKnoten* Laden(const std::function<void(const TParserProc&)>& Lesen);
  // Appends one element and its subtree in the file layout.
  static void KnotenAusgeben(const TKiroXMLKnoten& Knoten, QByteArray& Ziel);

  std::unique_ptr<TKiroXML> XMLDatei;  // only while LadenDatei runs
  QString xmlVersion;
  QString xmlEncoding;

 private:
  std::unique_ptr<TKiroXMLKnoten> pBasisKnoten;
  TKiroXMLKnoten* pKiroBasisKnoten = nullptr;  // points into the tree
  bool FAbgeschnitten = false;
  bool FVerlustbehaftet = false;
  bool FTextVerworfen = false;
  bool FDeklarationGelesen = false;
  bool FDeklarationVerloren = false;  // a declaration stood elsewhere than at the start
};

}  // namespace kiro
