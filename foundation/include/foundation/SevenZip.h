#pragma once
// Unpacks one 7z archive into a folder in a worker thread while the user-interface thread
// keeps the window alive. The archive is read by the 7-Zip library itself, loaded from
// "_InstSetup/lib/sevenzip/7z.so" beside the running executable.
#include "foundation/SevenZipBindung.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace kiro {

// Where the library is looked for, relative to the folder of the running executable.
inline constexpr char SevenZipBibliothekRelativ[] = "_InstSetup/lib/sevenzip/7z.so";

// The library's full path: the executable's folder joined with SevenZipBibliothekRelativ,
// unless a test has set another one.
QString SevenZipBibliothek();
// Tests point the loader elsewhere (a missing file, a library that is no 7z library);
// an empty path restores the default.
void SevenZipBibliothekSetzen(const QString& Pfad);

// Creates the reader for the 7z format from the library. Raises ESevenZip.
void ArchivObjektErzeugen(std::unique_ptr<I7zInArchive>& Arch);

// Unpacks SevenZipDateiAbs below Basisverzeichnis and returns when the unpack has ended:
// true when every item was written. A failure has been shown in one error box by then.
// ProgressBar (may be null) receives queued calls setRange(0, item count) and setValue(index
// of the file being written), as a QProgressBar does. Call on the user-interface thread only.
// With BasisDeskriptor (the target folder held open by the caller) the files go into that folder
// whatever its path names meanwhile; Basisverzeichnis then only names it in messages.
// Beenden tells whether the program is ending: asked before anything is written and at least
// every 250 ms while the unpack runs, so a stop asked for earlier counts as well as one asked
// for meanwhile. Once it says so, the unpack stops at once, also in the middle of a file, and
// removes what it had begun; such a stop is no error and shows no box.
bool SevenZipEntpacken(const QString& SevenZipDateiAbs, const QString& Basisverzeichnis, QObject* ProgressBar,
                       int BasisDeskriptor = -1, const std::function<bool()>& Beenden = {});

// The worker that unpacks one archive. It starts running when constructed; its owner waits
// for it and destroys it (which waits, too).
class T7zEntpackThread final : public QThread {
 public:
  // BasisDeskriptor as for SevenZipEntpacken; the thread takes a copy of it.
  T7zEntpackThread(const QString& Basisverzeichnis, const QString& SevenZipDateiAbs, QObject* ProgressBar,
                   int BasisDeskriptor = -1);
  ~T7zEntpackThread() override;

  // Asks the worker to stop before its next item; such a stop is no error.
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // After the thread has ended: true once every item has been extracted.
  bool Result() const { return FResult; }
  // After the thread has ended: the text of the failure that ended it, "" when none.
  QString FatalFehler() const { return FFatalFehler; }

  friend sz::HRESULT EntpackStreamHolen(void* sender, std::uint32_t index, ISequentialOutStream** outStream);
  friend sz::HRESULT EntpackErgebnis(void* sender, std::uint32_t index, std::int32_t opRes);

 protected:
  void run() override { Execute(); }

 private:
  void Execute();
  // Opens the target folder once, creating it when missing; -1 when that fails.
  int BasisOeffnen();
  // The name under which Name is found in the folder open as Deskriptor (Relativ: its path
  // below the target): an entry that exists in another letter case is taken, as on Windows.
  // The first look at a folder removes the temporary files that unpacks of processes that are
  // gone left there (killed before they could clean up).
  QString NameAufPlatte(int Deskriptor, const QString& Relativ, const QString& Name);

  std::unique_ptr<I7zInArchive> FArch;
  QString FBasisverzeichnis;  // ends with "/"; empty means the current folder
  QString FSevenZipDateiAbs;
  QObject* FProgressBarHandle;  // receives the queued progress calls; may be null
  std::atomic<bool> FResult{false};
  std::atomic<bool> FTerminated{false};
  QString FFatalFehler;
  TFehlerAblage FDateiFehler;  // file errors of the callback and of the output streams
  int FBasisDeskriptor = -1;
  bool FBasisGegeben = false;  // the caller's folder; never opened again by path
  int FBasisFehler = 0;        // why the target folder could not be opened
  struct TOrdnerNamen {
    QSet<QString> Namen;               // as on disk
    QHash<QString, QString> Gefaltet;  // case-folded name -> name on disk
  };
  QHash<QString, TOrdnerNamen> FOrdnerNamen;  // by folder below the target, read once each

  // A file written under a temporary name in its folder; it takes its own name only once its
  // stream is closed whole and the library has found its data sound, so an old file of that
  // name is replaced in one step or not at all.
  struct TNeueDatei {
    int Ordner = -1;  // the folder, open; owned
    QByteArray Temp;  // the temporary name in it
    QByteArray Name;  // the name it takes when complete
    QString Ziel;     // its full path, for messages and the kept CRC-32
    std::optional<T7zStreamEnde> Ende;
    std::optional<bool> DatenOk;
    // The archive's CRC-32 of the item: once the library reports the item sound, the written
    // bytes have it, so the unpack need not sum them itself.
    std::optional<std::uint32_t> ArchivCrc;
  };
  void StreamBeendet(std::uint32_t Index, const T7zStreamEnde& Ende);
  // Renames or removes the file of Index once both its end and the library's verdict are in
  // (call under FNeuSperre); false when the rename failed.
  bool Entscheiden(std::uint32_t Index);
  // Removes the temporary files of items that never completed.
  void NeueVerwerfen();
  std::mutex FNeuSperre;
  std::map<std::uint32_t, TNeueDatei> FNeu;
};

// The per-item callback of T7zEntpackThread (sender is the thread object): refuses once the
// thread is asked to end, passes folders over, and hands out a fresh output file for each file.
sz::HRESULT EntpackStreamHolen(void* sender, std::uint32_t index, ISequentialOutStream** outStream);
// The library's verdict on an item: a sound file takes its name, a damaged one is removed.
sz::HRESULT EntpackErgebnis(void* sender, std::uint32_t index, std::int32_t opRes);

}  // namespace kiro
