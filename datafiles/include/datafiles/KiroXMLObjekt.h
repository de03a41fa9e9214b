#pragma once
// Base class of every typed data file of the product: the "Info" header shared by all of them,
// the modified flag, and loading and saving through TKiroXML. A subclass supplies the reader and
// writer of its content element and passes every name it does not know on to the inherited one.
#include "datafiles/KiroXML.h"

#include "foundation/Dateitypen.h"
#include "foundation/KiroTypen.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace kiro {

// Status codes of loading and saving, as the product has always returned them.
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

class TKiroXMLObjekt {
 public:
  // "ExterneDatei" loads that nest deeper than this are refused (a chain of files naming
  // each other would otherwise only end when the stack does).
  static constexpr int MaxExterneTiefe = 16;

  TKiroXMLObjekt();
  virtual ~TKiroXMLObjekt();
  TKiroXMLObjekt(const TKiroXMLObjekt&) = delete;
  TKiroXMLObjekt& operator=(const TKiroXMLObjekt&) = delete;

  const TInfo& DateiInfo() const { return FDateiInfo; }
  bool Geaendert() const { return FGeaendert; }
  void SetGeaendert(bool Wert) { FGeaendert = Wert; }

  // Whether the last LadenDatei read its whole input: the file was found, the reader saw a
  // complete "Kiro" document, and every "ExterneDatei" it named was read completely. The
  // result of LadenDatei itself still tells only whether the file was found.
  bool LadenVollstaendig() const { return FLadenVollstaendig; }

  // Appends a copy of the author, then drops the entries without an ID (LeereAutorenEntfernen).
  void AutorHinzufuegen(const TAutor& Autor);
  // An entry with AutorID 0 goes when its name is empty or when other entries exist.
  void LeereAutorenEntfernen();

  // --- the header outside loading and saving; none of the rating operations marks the
  // object modified (the caller does when it wants the change saved) ---
  // The author list becomes a copy of the given one.
  void BewertungenEintragen(const TAutoren& NeueAutorendaten);
  // Stores Wert as AufwandAlgo; true when it differs from the value before (NaN always does).
  bool BewertungsvorschlagEintragen(float Wert);
  // Appends a TAB and s to the description; marks the object modified.
  void BeschreibungErgaenzen(const QString& s);
  // Lets a person edit the header in the file-information dialog installed by the component
  // library; takes the values over on OK (mrOk) and marks the object modified. Any other
  // result, or no installed dialog (mrCancel and a log line), leaves the header as it was.
  int InfoBearbeiten();
  QString Dateiname() const { return FDateiInfo.Dateiname; }

 protected:
  // --- virtual operations, in the order every data-file class shares ---
  virtual QString DateiVersion() const;
  virtual QString MinDateiVersion() const;
  virtual QString ExeDateiVersion() const;
  virtual QString TypKuerzel() const;
  // Content element: the base handles "ExterneDatei" and rejects every other name.
  virtual TParseErg InhaltLesen(TParse& PaInfo, void* pDaten);
  // Content element: the base writes nothing (a self-closing element).
  virtual bool InhaltSchreiben(void* pDaten);
  virtual TParseErg WurzelLesen(TParse& PaInfo, void* pDaten);
  virtual TParseErg HauptknotenLesen(TParse& PaInfo, void* pDaten);
  virtual TParseErg InfoLesen(TParse& PaInfo, void* pDaten);
  // Reads the rest of the current element through the reader of this document or of the
  // outer document; S_OK when the reader's LadenXML answered true.
  virtual HRESULT KnotenLesen(void* pDaten, const TParserProc& ParserProc);
  // Writes one child element of the element being written, through whichever writer is active.
  virtual void KnotenSchreiben(const QString& Knotenname, void* pDaten, const TSpeicherProc& SpeicherProc);

 public:
  // The HTML description of the header: type, file name, version, description and category,
  // each escaped and followed by "<p>", in the language folder's template "basis.htm".
  // "" when there is no template.
  virtual QString HtmlInfoErzeugen();
  // S_OK when the file was found and read, E_FAIL when it was not found.
  virtual HRESULT LadenDatei(const QString& Pfad, const QString& DateiName, void* pDaten);
  // Reads this object's element from XMLDateiOffen, whose load is running.
  virtual HRESULT LadenOffeneDatei(TKiroXMLObjekt* XMLDateiOffen, void* pDatenPointer);
  // Saves in the type's current format; S_OK when the file was written completely. A file whose
  // last load lost bytes (undecodable, cut off) is not replaced: E_FAIL with one log line.
  virtual HRESULT SpeichernDatei(const QString& Pfad, const QString& DateiName, void* pDaten);
  // Writes this object as the element Knotenname of XMLDateiOffen, whose save is running;
  // S_OK when a writer was reached.
  virtual HRESULT SpeichernOffeneDatei(const QString& Knotenname, TKiroXMLObjekt* XMLDateiOffen, void* pDatenPointer);
  // Rating proposal; the base proposes 0 and leaves Text alone.
  virtual float Bewertungsvorschlag(QStringList& Text);

 protected:
  // Reader of a "Datei" element; pDaten is the TDatei to fill.
  TParseErg DateiEintragLesen(TParse& PaInfo, void* pDaten);
  // Writer of a TDatei element; pDaten is the TDatei. Always false.
  bool DateiEintragSchreiben(void* pDaten);
  // Appends the author (used for the settings author of a new object); same as AutorHinzufuegen.
  void AutorAnhaengen(const TAutor& Autor);

  // Appends the language folder's "basis.htm" (its lines without line breaks) to Ergebnis with
  // Text in place of every "@TEXT@", and copies the files it names by src="..." from the
  // language folder into the temp folder. Without a template Ergebnis stays as it was.
  static void HtmlVorlageFuellen(const QString& Text, QString& Ergebnis);
  // Replaces the first Alt in Text by Neu until no Alt is left; an Alt that Neu itself holds
  // is replaced once where it stood, and an empty Alt changes nothing.
  static void AlleErsetzen(const QString& Alt, const QString& Neu, QString& Text);

  // Attribute writers of the element being written; they reach the writer of the document
  // that is being saved, up the chain of outer documents.
  void Schreibe(const QString& Kennung, const QString& Wert);
  void SchreibeInt(const QString& Kennung, std::int32_t Wert);
  void SchreibeIntEnum(const QString& Kennung, std::int32_t Wert);
  void SchreibeInt64(const QString& Kennung, std::int64_t Wert);
  void SchreibeFloat(const QString& Kennung, float Wert);
  void SchreibeBool(const QString& Kennung, bool Wert);
  void SchreibeZeitDatum(const QString& Kennung, TDateTime Wert, bool Millisekunden);

  // Callbacks bound to this object, for KnotenLesen and KnotenSchreiben.
  template <class T>
  TParserProc Leser(TParseErg (T::*Proc)(TParse&, void*)) {
    T* selbst = static_cast<T*>(this);
    return [selbst, Proc](TParse& PaInfo, void* pDaten) { return (selbst->*Proc)(PaInfo, pDaten); };
  }
  template <class T>
  TSpeicherProc Schreiber(bool (T::*Proc)(void*)) {
    T* selbst = static_cast<T*>(this);
    return [selbst, Proc](void* pDaten) { return (selbst->*Proc)(pDaten); };
  }

  TInfo FDateiInfo;
  bool FGeaendert = true;
  std::unique_ptr<TKiroXML> XMLDatei;  // only while LadenDatei or SpeichernDatei runs
  TKiroXMLObjekt* FremdeXMLDatei = nullptr;  // outer document of a nested object; not owned
  QString xmlVersion;
  QString xmlEncoding;
  TDateiTyp FDateiTyp = Datei_xml;

 private:
  TParseErg XmlDeklarationLesen(TParse& PaInfo, void* pDaten);
  TParseErg AutorEintragLesen(TParse& PaInfo, void* pDaten);
  TParseErg ExterneDateiLesen(const QString& Wert, void* pDaten);
  bool VersionPruefen();
  void AufwandZusammenfuehren();

  bool DateiSchreiben(void* pDaten);
  void InfoVorbereiten();
  bool InfoSchreiben(void* pDaten);
  bool AutorEintragSchreiben(void* pDaten);
  bool SeitendateiPflegen();

  bool IstAufwandsdatei() const;
  // The last load read the whole file and lost no byte of it.
  bool GanzGelesen() const { return FLadenVollstaendig && FVerlustDatei.isEmpty(); }
  // The object whose own reader or writer serves the running load or save.
  TKiroXMLObjekt* Wurzeldokument();

  bool FLadenVollstaendig = false;
  bool FExternUnvollstaendig = false;  // an "ExterneDatei" of the running load was not read whole
  bool FAufwandVorhanden = false;      // the running save met effort values that go to the side file
  int FLadetiefe = 0;                  // LadenDatei calls running on this object ("ExterneDatei")
  bool FSeitendateiGelesen = false;    // the running load merged the side file (or found none)
  QString FUngeleseneSeitendatei;      // side file the last load did not merge (version error); "" for none
  QString FVerlustDatei;               // real path of the file the last load lost bytes of; a save must not replace it
  QString FSpeichergrund;              // why the last save's file was not written, in the system's words
  // A nested object written by a save may be gone before the save ends (a subclass may write a
  // temporary one). The save keeps only each object's shared cell, which its destructor empties.
  std::shared_ptr<TKiroXMLObjekt*> FLebenszelle = std::make_shared<TKiroXMLObjekt*>(this);
  std::vector<std::shared_ptr<TKiroXMLObjekt*>> FGeschriebeneTeile;  // nested objects written by the running save
};

}  // namespace kiro
