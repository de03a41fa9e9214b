#pragma once
// The product's own streaming reader and writer of its XML data-file dialect. The reader walks
// the text once and hands every attribute and child element of one level to a callback; a
// callback that accepts a child reads it by calling LadenXML again. The grammar is forgiving on
// purpose: malformed text never stops a load, it only decides what the callbacks are told.
#include "foundation/KiroTypen.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

namespace kiro {

enum TParseErg { ParseFehler = 0, ParseOK = 1, ParseUeberspringen = 2 };

// Answers for one attribute (Wert decoded) or one child element (Wert == "{{knoten}}").
using TParserProc = std::function<TParseErg(TParse& PaInfo, void* pDaten)>;
// Writes the attributes, then the children of the element just opened; true = separate end tag.
using TSpeicherProc = std::function<bool(void* pDaten)>;

// Texts of files that a host program carries inside itself; the reader only looks them up.
struct TEingebundeneDateien {
  QStringList Namen;  // upper-cased file names
  QStringList Texte;  // the complete text of the file at the same index
};
extern TEingebundeneDateien* EingebundeneDateien;

// The text stored for DateiName (upper-cased a-z), or "".
QString EingebundeneDateiSuchen(const TEingebundeneDateien* Speicher, const QString& DateiName);

// The tone generator of the documentation mode; the default makes no sound.
using TPiepHook = std::function<void(int FrequenzHz, int DauerMs)>;
// Installs a hook (an empty one restores the default); returns the previous hook.
TPiepHook PiepHookSetzen(TPiepHook Hook);
// One tone through the installed hook.
void Piepen(int FrequenzHz, int DauerMs);

class TKiroXML {
 public:
  // Element levels deeper than this stop the load instead of exhausting the stack.
  static constexpr int MaxTiefe = 256;

  TKiroXML();
  ~TKiroXML();
  TKiroXML(const TKiroXML&) = delete;
  TKiroXML& operator=(const TKiroXML&) = delete;

  // An attribute value with the five special characters written as entities.
  static QString Maskieren(const QString& Wert);

  // --- reading ---
  // Reads the document level of the file with ParserProc. False when the file is missing (or
  // cannot be opened); true when its text was read, whatever the callbacks answered.
  bool LadenDatei(const QString& Pfad, const QString& DateiName, TInfo& Info, const TParserProc& ParserProc,
                  void* pDaten);
  // LadenDatei for a file the caller has opened (a walk opens by the name's bytes, which a path
  // text may not hold); DateiName names it in messages. False when it is no regular file.
  bool LadenOffen(int Fd, const QString& DateiName, const TParserProc& ParserProc, void* pDaten);
  // Reads the items of the current element up to its end; an empty ParserProc skips them.
  bool LadenXML(const TParserProc& ParserProc, void* pDatenPtr, bool NurErsterKnoten, const QString& Dateiname);

  // Whether the last load saw its whole input: a "Kiro" element at the document level, every
  // opened level closed before the end of the input, no read error and no nesting beyond
  // MaxTiefe. Decoding errors (replaced by U+FFFD) do not make a load incomplete.
  bool Vollstaendig() const { return FKiroGefunden && !FUnvollstaendig; }
  bool KiroGefunden() const { return FKiroGefunden; }
  bool Abgeschnitten() const { return FUnvollstaendig; }
  // Whether the last load met bytes that did not decode (shown as U+FFFD): the text read is
  // then not the file's text, and writing it back would lose the original characters.
  bool Kodierfehler() const { return FKodierfehler; }
  // Whether the last load passed over text that no item holds: element text (a stray ">"
  // included), text before the first element, anything after "/" or "?" in a tag, an end tag
  // naming another element, a name broken by a line break, a stray quote. The grammar drops
  // it, so a rewrite from the items would lose it.
  bool TextVerworfen() const { return FTextVerworfen; }
  // Set before LadenDatei: attribute values keep the line breaks the file has inside them,
  // byte for byte, instead of losing them with the line structure. The typed data files read
  // values without them, as the product always has; the whole-file tree keeps them to write
  // them back.
  bool UmbruecheBehalten = false;
  // The real path of the file the last load read ("" for embedded text or no file).
  const QString& GeleseneDatei() const { return FGeleseneDatei; }

  // Told the text of each comment of a level read with a callback (what stands between "<!--"
  // and "-->"; with UmbruecheBehalten its line breaks as the file has them) and the level's
  // data pointer; empty: comments are skipped unseen. The whole-file tree keeps comments this way.
  std::function<void(const QString& Text, void* pDaten)> KommentarProc;
  // The counters the reader's messages report, for a callback's own messages: lines read so
  // far (0 for embedded text) and characters delivered since the start, line breaks excluded.
  std::uint32_t AktuelleZeile() const { return AktZeilenZaehler; }
  std::uint32_t AktuellesZeichen() const { return AktZaehler; }

  // --- writing ---
  // Writes the whole document (root "Kiro") to Pfad + DateiName through the one replace routine
  // (a fresh "name~" renamed over the target in one step, the old file's mode kept). False when
  // anything failed; the old file is then untouched.
  bool SpeichernDatei(const QString& Pfad, const QString& DateiName, const TSpeicherProc& SpeicherProc,
                      void* pDaten);
  // Set before SpeichernDatei: the real path of a file this save must not replace, since its
  // load lost bytes (undecodable, cut off); such a save fails with one log line.
  QString Geschuetzt;
  // Why the last SpeichernDatei failed, in the system's words; "" when it did not fail or no
  // system call failed.
  const QString& Fehlergrund() const { return FFehlergrund; }
  bool SpeichernXML(const QString& Knotenname, const TSpeicherProc& SpeicherProc, void* pDatenPtr,
                    const QString& Dateiname);

  void Schreibe(const QString& Kennung, const QString& Wert);
  void SchreibeInt(const QString& Kennung, std::int32_t Wert);
  void SchreibeIntEnum(const QString& Kennung, std::int32_t Wert);
  void SchreibeInt(const QString& Kennung, std::int64_t Wert);
  void SchreibeD3DColor(const QString& Kennung, std::uint32_t Wert);
  void SchreibeFloat(const QString& Kennung, float Wert);
  void SchreibeFloat6(const QString& Kennung, float Wert);
  void SchreibeBool(const QString& Kennung, bool Wert);
  void SchreibeZeitDatum(const QString& Kennung, double Wert, bool Millisekunden);

  // Full text forms, locale-independent; in documentation mode the name of the value type.
  static QString KonvertiereInt(std::int32_t Wert);
  static QString KonvertiereIntEnum(std::int32_t Wert);
  static QString KonvertiereInt(std::int64_t Wert);
  static QString KonvertiereCardinal(std::uint32_t Wert);
  static QString KonvertiereD3DColor(std::uint32_t Wert);
  static QString KonvertiereFloat(float Wert);
  static QString KonvertiereFloat6(float Wert);
  static QString KonvertiereBool(bool Wert);
  static QString KonvertiereZeitDatum(double Wert, bool Millisekunden);

 private:
  struct TLeser;
  struct TSchreiber;

  void LadenBeginnen();
  void DokumentLesen(std::unique_ptr<TLeser> Leser, const TParserProc& ParserProc, void* pDaten,
                     const QString& DateiName);
  char16_t NaechstesZeichen();
  void Weiter() { Aktc = NaechstesZeichen(); }
  void LeerzeichenUeberspringen();
  void NameLesen(QString& Ziel);
  void WertLesen(QString& Ziel, char16_t Anfuehrung);
  void BisSchliessendeKlammer();
  // Appends the line breaks the source swallowed just before the current character, as the file
  // has them (only with UmbruecheBehalten).
  void UmbruecheAnhaengen(QString& Ziel) const;
  void KommentarUeberspringen(const QString& Name, QString* Text);
  void Abbrechen();
  void UnbekanntMelden(const char* Schluessel, const QString& Kennung, const QString& Dateiname);

  void SchreibeAttribut(const QString& Kennung, const QString& Wert);
  void Ausgeben(const QString& Text);
  static QString NullenEntfernen(const QString& Text);
  static QString BoolAlsText(bool Wert);

  std::unique_ptr<TLeser> StreamReader;
  std::unique_ptr<TSchreiber> StreamWriter;
  bool AktEnde = false;
  char16_t Aktc = u' ';
  std::uint32_t AktZaehler = 0;
  std::uint32_t AktZeilenZaehler = 0;
  bool AusKomponenteLaden = false;

  int FTiefe = 0;
  bool FKiroGefunden = false;
  bool FUnvollstaendig = false;
  bool FKodierfehler = false;
  bool FTextVerworfen = false;
  QString FGeleseneDatei;
  QString FFehlergrund;
  // Handed from a level to the child level it opens next: the child's name and whether its
  // start tag is still open.
  QString FEbenenName;
  bool FEbeneOffen = false;
  bool FEndeKlammer = false;     // an end tag left its ">" for the enclosing level
  bool FUmbruchImNamen = false;  // the name read last went on across a line break it did not keep
};

}  // namespace kiro
