#pragma once
// Our binding to the 7-Zip archive library (7z.so), written from its documented COM-style
// interfaces. Only reading of 7z archives is used: create the reader, open a file, count the
// items, ask an item's path and folder flag, and extract everything through a callback.
//
// Layout facts of the library we load (checked through its GetModuleProp export before use):
// IUnknown has no virtual destructor, so every interface is three IUnknown slots followed by
// its own methods in declaration order; strings are BSTRs of wchar_t freed by the library's
// own SysFreeString.
//
// The interface structs live at global scope under the library's own names: the sanitizer's
// vptr check compares type names, and calls through a differently named type would be rejected.
#include <QString>

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace kiro::sz {

using HRESULT = std::int32_t;
using PROPID = std::uint32_t;

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
bool operator==(const GUID& a, const GUID& b);

// The library's variant: type tag, three reserved words, then an 8-byte value.
struct PROPVARIANT {
  std::uint16_t vt;
  std::uint16_t wReserved1;
  std::uint16_t wReserved2;
  std::uint16_t wReserved3;
  union {
    std::int16_t boolVal;  // VARIANT_TRUE is -1
    std::uint32_t ulVal;
    std::uint64_t uhVal;
    wchar_t* bstrVal;
  };
};
static_assert(sizeof(PROPVARIANT) == 16);

constexpr std::uint16_t VT_EMPTY = 0;
constexpr std::uint16_t VT_BSTR = 8;
constexpr std::uint16_t VT_BOOL = 11;
constexpr std::uint16_t VT_UI4 = 19;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT E_ABORT = HRESULT(0x80004004u);
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);

// An error number of our own streams as a result code (the library uses the Win32 facility).
constexpr HRESULT HResultAusErrno(int Fehler) { return HRESULT(0x80070000u | (unsigned(Fehler) & 0xFFFFu)); }

// Item properties.
constexpr PROPID kpidPath = 3;
constexpr PROPID kpidIsDir = 6;
constexpr PROPID kpidAttrib = 9;
constexpr PROPID kpidCRC = 19;

// Extraction modes and per-item results of the extract callback.
constexpr std::int32_t kAskExtract = 0;
constexpr std::int32_t kOpResultOK = 0;

// Module properties of GetModuleProp: the interface layout, 0 = IUnknown without virtual destructor.
constexpr PROPID kModulePropInterfaceType = 0;
constexpr std::uint32_t kInterfaceTypeOhneVirtuellenDestruktor = 0;

// Interface and class identifiers.
extern const GUID IID_IUnknown;
extern const GUID IID_ISequentialInStream;
extern const GUID IID_ISequentialOutStream;
extern const GUID IID_IInStream;
extern const GUID IID_IProgress;
extern const GUID IID_IArchiveOpenCallback;
extern const GUID IID_IArchiveExtractCallback;
extern const GUID IID_IInArchive;
extern const GUID CLSID_Format7z;

}  // namespace kiro::sz

struct IUnknown {
  virtual kiro::sz::HRESULT QueryInterface(const kiro::sz::GUID& iid, void** outObject) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct ISequentialInStream : IUnknown {
  virtual kiro::sz::HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processedSize) = 0;

 protected:
  ~ISequentialInStream() = default;
};

struct IInStream : ISequentialInStream {
  virtual kiro::sz::HRESULT Seek(std::int64_t offset, std::uint32_t seekOrigin, std::uint64_t* newPosition) = 0;

 protected:
  ~IInStream() = default;
};

struct ISequentialOutStream : IUnknown {
  virtual kiro::sz::HRESULT Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) = 0;

 protected:
  ~ISequentialOutStream() = default;
};

struct IProgress : IUnknown {
  virtual kiro::sz::HRESULT SetTotal(std::uint64_t total) = 0;
  virtual kiro::sz::HRESULT SetCompleted(const std::uint64_t* completeValue) = 0;

 protected:
  ~IProgress() = default;
};

struct IArchiveOpenCallback : IUnknown {
  virtual kiro::sz::HRESULT SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
  virtual kiro::sz::HRESULT SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) = 0;

 protected:
  ~IArchiveOpenCallback() = default;
};

struct IArchiveExtractCallback : IProgress {
  virtual kiro::sz::HRESULT GetStream(std::uint32_t index, ISequentialOutStream** outStream,
                                      std::int32_t askExtractMode) = 0;
  virtual kiro::sz::HRESULT PrepareOperation(std::int32_t askExtractMode) = 0;
  virtual kiro::sz::HRESULT SetOperationResult(std::int32_t opRes) = 0;

 protected:
  ~IArchiveExtractCallback() = default;
};

struct IInArchive : IUnknown {
  virtual kiro::sz::HRESULT Open(IInStream* stream, const std::uint64_t* maxCheckStartPosition,
                                 IArchiveOpenCallback* openCallback) = 0;
  virtual kiro::sz::HRESULT Close() = 0;
  virtual kiro::sz::HRESULT GetNumberOfItems(std::uint32_t* numItems) = 0;
  virtual kiro::sz::HRESULT GetProperty(std::uint32_t index, kiro::sz::PROPID propID,
                                        kiro::sz::PROPVARIANT* value) = 0;
  virtual kiro::sz::HRESULT Extract(const std::uint32_t* indices, std::uint32_t numItems, std::int32_t testMode,
                                    IArchiveExtractCallback* extractCallback) = 0;
  virtual kiro::sz::HRESULT GetArchiveProperty(kiro::sz::PROPID propID, kiro::sz::PROPVARIANT* value) = 0;
  virtual kiro::sz::HRESULT GetNumberOfProperties(std::uint32_t* numProps) = 0;
  virtual kiro::sz::HRESULT GetPropertyInfo(std::uint32_t index, wchar_t** name, kiro::sz::PROPID* propID,
                                            std::uint16_t* varType) = 0;
  virtual kiro::sz::HRESULT GetNumberOfArchiveProperties(std::uint32_t* numProps) = 0;
  virtual kiro::sz::HRESULT GetArchivePropertyInfo(std::uint32_t index, wchar_t** name, kiro::sz::PROPID* propID,
                                                   std::uint16_t* varType) = 0;

 protected:
  ~IInArchive() = default;
};

namespace kiro {

// A failure of the binding or the library; the message is the text shown to the user.
class ESevenZip : public std::runtime_error {
 public:
  explicit ESevenZip(const QString& Meldung);
  QString Meldung() const { return FMeldung; }

 private:
  QString FMeldung;
};

// The extraction was stopped because the per-item callback answered E_ABORT.
class ESevenZipAbbruch : public ESevenZip {
 public:
  ESevenZipAbbruch();
};

// A readable text for a result code of the library (the Windows texts of these codes,
// without the trailing point); unknown codes as "Error 0x........".
QString HResultText(sz::HRESULT Code);

// Keeps the first failure reported from any thread of an extraction (the library may write
// from its own decoder threads).
class TFehlerAblage {
 public:
  void Melden(const QString& Text);
  QString Erster() const;

 private:
  mutable std::mutex FSperre;
  QString FErster;
};

// How an owned stream ended: whether every write and the close succeeded, the file's status
// taken just before the close, and the CRC-32 and number of the bytes written.
struct T7zStreamEnde {
  bool Ok = false;
  struct stat St {};
  std::uint32_t Crc = 0;
  std::uint64_t Groesse = 0;
};

// The library's sequential output stream over an open file descriptor. With Besitzt the
// descriptor is closed when the library releases the last reference. A failed write is
// reported with the file's path to Ablage (when given) and answered with the error's code.
// The CRC-32 of the bytes as they pass is taken for a descriptor opened at the file's start:
// an owned stream hands its end to BeiEnde when given (the owner decides under which name the
// file stays), else keeps the sum for the file (CRC32Merken) when every write succeeded.
class T7zStream final : public ISequentialOutStream {
 public:
  // Summieren false: the bytes are not summed here (the caller has the item's CRC-32 from the
  // archive, which the library checks against the bytes it writes); T7zStreamEnde::Crc is then 0.
  // Once *Abbruch is set, every further write fails with E_ABORT.
  T7zStream(int Deskriptor, bool Besitzt, QString Pfad = {}, TFehlerAblage* Ablage = nullptr,
            std::function<void(const T7zStreamEnde&)> BeiEnde = {}, bool Summieren = true,
            const std::atomic<bool>* Abbruch = nullptr);

  sz::HRESULT QueryInterface(const sz::GUID& iid, void** outObject) override;
  std::uint32_t AddRef() override;
  std::uint32_t Release() override;
  sz::HRESULT Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) override;

 private:
  ~T7zStream();
  std::atomic<std::uint32_t> FReferenzen{0};
  int FDeskriptor;
  bool FBesitzt;
  QString FPfad;
  TFehlerAblage* FAblage;
  std::function<void(const T7zStreamEnde&)> FBeiEnde;
  bool FSummieren;
  const std::atomic<bool>* FAbbruch;
  std::uint32_t FCrc = 0;
  std::uint64_t FGeschrieben = 0;
  bool FSchreibfehler = false;
};

// The per-item callback of an extraction: answers S_OK with a stream (the item is written
// there), S_OK without one (the item is passed over), or E_ABORT (the extraction stops).
using T7zGetStreamCallBack = sz::HRESULT (*)(void* sender, std::uint32_t index, ISequentialOutStream** outStream);
// Told each item's result once the library has decoded it (kOpResultOK or a data error);
// anything but S_OK stops the extraction.
using T7zErgebnisCallBack = sz::HRESULT (*)(void* sender, std::uint32_t index, std::int32_t opRes);

// The reader for the 7z format. Loads the library for itself and frees it when destroyed.
// Every operation raises ESevenZip on failure.
class I7zInArchive {
 public:
  // Loads the library at Bibliothek and creates the reader of the format ClassId.
  I7zInArchive(const QString& Bibliothek, const sz::GUID& ClassId);
  ~I7zInArchive();
  I7zInArchive(const I7zInArchive&) = delete;
  I7zInArchive& operator=(const I7zInArchive&) = delete;

  void OpenFile(const QString& Pfad);
  std::uint32_t NumberOfItems();
  QString ItemPath(std::uint32_t Index);
  bool ItemIsFolder(std::uint32_t Index);
  // The item's permission bits (0777) as the archive's Unix attributes give them; none when the
  // archive holds no Unix attributes for it (as archives made on Windows).
  std::optional<unsigned> ItemUnixRechte(std::uint32_t Index);
  // The CRC-32 the archive holds for the item's data, when it holds one.
  std::optional<std::uint32_t> ItemCRC(std::uint32_t Index);
  // Extracts all items. A data or CRC error of an item stops the extraction and raises
  // ESevenZip naming the item; a callback's E_ABORT raises ESevenZipAbbruch.
  void ExtractAll(bool Testmodus, void* Sender, T7zGetStreamCallBack Callback,
                  T7zErgebnisCallBack Ergebnis = nullptr);

 private:
  struct TBibliothek;
  std::unique_ptr<TBibliothek> FBibliothek;
  IInArchive* FArchiv = nullptr;
};

}  // namespace kiro
