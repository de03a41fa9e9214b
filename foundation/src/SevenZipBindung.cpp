#include "foundation/SevenZipBindung.h"

#include "foundation/CRC32.h"
#include "foundation/Dateifunktionen.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kiro {

namespace sz {

bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

namespace {
// The library's identifiers share one pattern: group and interface number in the last part.
constexpr GUID Iid(std::uint8_t Gruppe, std::uint8_t Nummer) {
  return GUID{0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, Gruppe, 0x00, Nummer, 0x00, 0x00}};
}
}  // namespace

const GUID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID IID_IProgress = Iid(0x00, 0x05);
const GUID IID_ISequentialInStream = Iid(0x03, 0x01);
const GUID IID_ISequentialOutStream = Iid(0x03, 0x02);
const GUID IID_IInStream = Iid(0x03, 0x03);
const GUID IID_IArchiveOpenCallback = Iid(0x06, 0x10);
const GUID IID_IArchiveExtractCallback = Iid(0x06, 0x20);
const GUID IID_IInArchive = Iid(0x06, 0x60);
const GUID CLSID_Format7z{0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

}  // namespace sz

using namespace sz;

ESevenZip::ESevenZip(const QString& Meldung) : std::runtime_error(Meldung.toStdString()), FMeldung(Meldung) {}

ESevenZipAbbruch::ESevenZipAbbruch() : ESevenZip(HResultText(E_ABORT)) {}

QString HResultText(HRESULT Code) {
  switch (std::uint32_t(Code)) {
    case 0x00000000u: return QStringLiteral("The operation completed successfully");
    case 0x00000001u: return QStringLiteral("Incorrect function");
    case 0x80004001u: return QStringLiteral("Not implemented");
    case 0x80004002u: return QStringLiteral("No such interface supported");
    case 0x80004003u: return QStringLiteral("Invalid pointer");
    case 0x80004004u: return QStringLiteral("Operation aborted");
    case 0x80004005u: return QStringLiteral("Unspecified error");
    case 0x80030001u: return QStringLiteral("Unable to perform requested operation");
    case 0x80030019u: return QStringLiteral("An error occurred during a seek operation");
    case 0x80040111u: return QStringLiteral("ClassFactory cannot supply requested class");
    case 0x8007000Eu: return QStringLiteral("Not enough memory resources are available to complete this operation");
    case 0x80070057u: return QStringLiteral("The parameter is incorrect");
    default: break;
  }
  // Codes of the Win32 facility carry an error number; on this system that is errno.
  if ((std::uint32_t(Code) & 0xFFFF0000u) == 0x80070000u) {
    const QString text = SystemFehlertext(int(std::uint32_t(Code) & 0xFFFFu));
    if (!text.isEmpty()) return text;
  }
  return QStringLiteral("Error 0x%1").arg(QString::number(std::uint32_t(Code), 16).toUpper().rightJustified(8, u'0'));
}

void TFehlerAblage::Melden(const QString& Text) {
  std::lock_guard lock(FSperre);
  if (FErster.isEmpty()) FErster = Text;
}

QString TFehlerAblage::Erster() const {
  std::lock_guard lock(FSperre);
  return FErster;
}

namespace {

QString DateiFehlertext(const char* Vorlage, const QString& Pfad, int Fehler) {
  return QString::fromLatin1(Vorlage).arg(Pfad, SystemFehlertext(Fehler));
}

// Reference counting shared by our own objects; each is created with new and handed out.
template <class Schnittstelle>
class TObjekt : public Schnittstelle {
 public:
  std::uint32_t AddRef() override { return ++FReferenzen; }
  std::uint32_t Release() override {
    const std::uint32_t rest = --FReferenzen;
    if (rest == 0) Loeschen();
    return rest;
  }

 protected:
  virtual void Loeschen() = 0;
  std::atomic<std::uint32_t> FReferenzen{0};
};

// The archive file as the library's random-access input stream.
class TDateiEingabe final : public TObjekt<IInStream> {
 public:
  explicit TDateiEingabe(int Deskriptor) : FDeskriptor(Deskriptor) {}

  HRESULT QueryInterface(const GUID& iid, void** outObject) override {
    if (iid == IID_IUnknown || iid == IID_ISequentialInStream || iid == IID_IInStream) {
      *outObject = static_cast<IInStream*>(this);
      AddRef();
      return S_OK;
    }
    *outObject = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processedSize) override {
    if (processedSize) *processedSize = 0;
    ssize_t n;
    do n = ::read(FDeskriptor, data, size);
    while (n < 0 && errno == EINTR);
    if (n < 0) return HResultAusErrno(errno);
    if (processedSize) *processedSize = std::uint32_t(n);
    return S_OK;
  }

  HRESULT Seek(std::int64_t offset, std::uint32_t seekOrigin, std::uint64_t* newPosition) override {
    if (seekOrigin > 2) return HRESULT(0x80030001u);  // STG_E_INVALIDFUNCTION
    static constexpr int kUrsprung[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    const off_t pos = ::lseek(FDeskriptor, off_t(offset), kUrsprung[seekOrigin]);
    if (pos < 0) return errno == EINVAL ? HRESULT(0x80030019u) : HResultAusErrno(errno);
    if (newPosition) *newPosition = std::uint64_t(pos);
    return S_OK;
  }

 private:
  void Loeschen() override { delete this; }
  ~TDateiEingabe() { ::close(FDeskriptor); }
  int FDeskriptor;
};

// Opening needs no answers from us (no passwords, no volumes).
class TOeffnenCallback final : public TObjekt<IArchiveOpenCallback> {
 public:
  HRESULT QueryInterface(const GUID& iid, void** outObject) override {
    if (iid == IID_IUnknown || iid == IID_IArchiveOpenCallback) {
      *outObject = static_cast<IArchiveOpenCallback*>(this);
      AddRef();
      return S_OK;
    }
    *outObject = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT SetTotal(const std::uint64_t*, const std::uint64_t*) override { return S_OK; }
  HRESULT SetCompleted(const std::uint64_t*, const std::uint64_t*) override { return S_OK; }

 private:
  void Loeschen() override { delete this; }
};

QString OperationsText(std::int32_t Ergebnis) {
  switch (Ergebnis) {
    case 1: return QStringLiteral("Unsupported Method");
    case 2: return QStringLiteral("Data Error");
    case 3: return QStringLiteral("CRC Failed");
    case 4: return QStringLiteral("Unavailable data");
    case 5: return QStringLiteral("Unexpected end of data");
    case 6: return QStringLiteral("There are some data after the end of the payload data");
    case 7: return QStringLiteral("Is not archive");
    case 8: return QStringLiteral("Headers Error");
    case 9: return QStringLiteral("Wrong password");
    default: return QStringLiteral("Error %1").arg(Ergebnis);
  }
}

}  // namespace

// The extraction callback: hands each item to the per-item callback and stops at the first
// item the library could not decode.
class TEntpackCallback final : public TObjekt<IArchiveExtractCallback> {
 public:
  TEntpackCallback(I7zInArchive& Archiv, void* Sender, T7zGetStreamCallBack Callback, T7zErgebnisCallBack Ergebnis)
      : FArchiv(Archiv), FSender(Sender), FCallback(Callback), FErgebnis(Ergebnis) {}

  HRESULT QueryInterface(const GUID& iid, void** outObject) override {
    if (iid == IID_IUnknown || iid == IID_IProgress || iid == IID_IArchiveExtractCallback) {
      *outObject = static_cast<IArchiveExtractCallback*>(this);
      AddRef();
      return S_OK;
    }
    *outObject = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT SetTotal(std::uint64_t) override { return S_OK; }
  HRESULT SetCompleted(const std::uint64_t*) override { return S_OK; }

  HRESULT GetStream(std::uint32_t index, ISequentialOutStream** outStream, std::int32_t askExtractMode) override {
    *outStream = nullptr;
    FIndex = index;
    if (askExtractMode != kAskExtract) return S_OK;
    return FCallback(FSender, index, outStream);
  }
  HRESULT PrepareOperation(std::int32_t) override { return S_OK; }
  HRESULT SetOperationResult(std::int32_t opRes) override {
    if (FErgebnis) {
      const HRESULT antwort = FErgebnis(FSender, FIndex, opRes);
      if (antwort != S_OK) return antwort;
    }
    if (opRes == kOpResultOK) return S_OK;
    QString name;
    try {
      name = FArchiv.ItemPath(FIndex);
    } catch (const ESevenZip&) {
      name = QString::number(FIndex);
    }
    FFehler.Melden(QStringLiteral("%1: %2").arg(OperationsText(opRes), name));
    return E_ABORT;
  }

  QString Fehler() const { return FFehler.Erster(); }

 private:
  void Loeschen() override { delete this; }
  I7zInArchive& FArchiv;
  void* FSender;
  T7zGetStreamCallBack FCallback;
  T7zErgebnisCallBack FErgebnis;
  std::atomic<std::uint32_t> FIndex{0};
  TFehlerAblage FFehler;
};

T7zStream::T7zStream(int Deskriptor, bool Besitzt, QString Pfad, TFehlerAblage* Ablage,
                     std::function<void(const T7zStreamEnde&)> BeiEnde, bool Summieren,
                     const std::atomic<bool>* Abbruch)
    : FDeskriptor(Deskriptor),
      FBesitzt(Besitzt),
      FPfad(std::move(Pfad)),
      FAblage(Ablage),
      FBeiEnde(std::move(BeiEnde)),
      FSummieren(Summieren),
      FAbbruch(Abbruch) {}

T7zStream::~T7zStream() {
  if (!FBesitzt) return;
  // The file's identity is taken before the close; the end counts as whole only when the close,
  // too, reports every byte written.
  T7zStreamEnde ende;
  ende.Ok = !FSchreibfehler && ::fstat(FDeskriptor, &ende.St) == 0;
  ende.Crc = FCrc;
  ende.Groesse = FGeschrieben;
  if (::close(FDeskriptor) != 0) {
    ende.Ok = false;
    if (FAblage) FAblage->Melden(DateiFehlertext("Cannot write file \"%1\". %2", FPfad, errno));
  }
  if (FBeiEnde) FBeiEnde(ende);
  else if (ende.Ok && FSummieren) CRC32Merken(ende.St, FPfad, FCrc, FGeschrieben);
}

HRESULT T7zStream::QueryInterface(const GUID& iid, void** outObject) {
  if (iid == IID_IUnknown || iid == IID_ISequentialOutStream) {
    *outObject = static_cast<ISequentialOutStream*>(this);
    AddRef();
    return S_OK;
  }
  *outObject = nullptr;
  return E_NOINTERFACE;
}

std::uint32_t T7zStream::AddRef() { return ++FReferenzen; }

std::uint32_t T7zStream::Release() {
  const std::uint32_t rest = --FReferenzen;
  if (rest == 0) delete this;
  return rest;
}

HRESULT T7zStream::Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) {
  if (processedSize) *processedSize = 0;
  if (FAbbruch && *FAbbruch) {
    // The file is incomplete: its end must not count as whole.
    FSchreibfehler = true;
    return E_ABORT;
  }
  const char* p = static_cast<const char*>(data);
  std::uint32_t geschrieben = 0;
  while (geschrieben < size) {
    const ssize_t n = ::write(FDeskriptor, p + geschrieben, size - geschrieben);
    if (n < 0) {
      if (errno == EINTR) continue;
      FSchreibfehler = true;
      const int fehler = errno;
      if (FAblage) FAblage->Melden(DateiFehlertext("Cannot write file \"%1\". %2", FPfad, fehler));
      if (processedSize) *processedSize = geschrieben;
      return HResultAusErrno(fehler);
    }
    if (FSummieren) FCrc = CRC32Weiter(FCrc, p + geschrieben, std::size_t(n));
    FGeschrieben += std::uint64_t(n);
    geschrieben += std::uint32_t(n);
  }
  if (processedSize) *processedSize = geschrieben;
  return S_OK;
}

struct I7zInArchive::TBibliothek {
  using TCreateObject = HRESULT (*)(const GUID* clsid, const GUID* iid, void** outObject);
  using TGetModuleProp = HRESULT (*)(PROPID propID, PROPVARIANT* value);
  using TSysFreeString = void (*)(wchar_t* bstr);

  explicit TBibliothek(const QString& Pfad) {
    Handle = ::dlopen(Pfad.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle) throw ESevenZip(QStringLiteral("Error loading library %1").arg(Pfad));
    CreateObject = reinterpret_cast<TCreateObject>(::dlsym(Handle, "CreateObject"));
    SysFreeString = reinterpret_cast<TSysFreeString>(::dlsym(Handle, "SysFreeString"));
    if (!CreateObject || !SysFreeString) Werfen(QStringLiteral("%1 is not a 7z library").arg(Pfad));
    // Our interface structs assume IUnknown without a virtual destructor; a library built the
    // other way would shift every method by the destructor slots.
    auto getModuleProp = reinterpret_cast<TGetModuleProp>(::dlsym(Handle, "GetModuleProp"));
    if (!getModuleProp)
      Werfen(QStringLiteral("%1 is an old 7z library without GetModuleProp; a current 7-Zip is needed").arg(Pfad));
    PROPVARIANT wert{};
    if (getModuleProp(kModulePropInterfaceType, &wert) != S_OK || wert.vt != VT_UI4 ||
        wert.ulVal != kInterfaceTypeOhneVirtuellenDestruktor)
      Werfen(QStringLiteral("%1 uses an interface layout that this program does not support").arg(Pfad));
  }
  ~TBibliothek() { ::dlclose(Handle); }

  [[noreturn]] void Werfen(const QString& Meldung) {
    ::dlclose(Handle);
    Handle = nullptr;
    throw ESevenZip(Meldung);
  }

  void Freigeben(PROPVARIANT& Wert) const {
    if (Wert.vt == VT_BSTR && Wert.bstrVal) SysFreeString(Wert.bstrVal);
    Wert.vt = VT_EMPTY;
  }

  void* Handle = nullptr;
  TCreateObject CreateObject = nullptr;
  TSysFreeString SysFreeString = nullptr;
};

namespace {
void Pruefen(HRESULT Ergebnis) {
  if (Ergebnis != S_OK) throw ESevenZip(HResultText(Ergebnis));
}
}  // namespace

I7zInArchive::I7zInArchive(const QString& Bibliothek, const GUID& ClassId)
    : FBibliothek(std::make_unique<TBibliothek>(Bibliothek)) {
  void* objekt = nullptr;
  Pruefen(FBibliothek->CreateObject(&ClassId, &IID_IInArchive, &objekt));
  if (!objekt) throw ESevenZip(HResultText(E_NOINTERFACE));
  FArchiv = static_cast<IInArchive*>(objekt);
}

I7zInArchive::~I7zInArchive() {
  if (FArchiv) {
    FArchiv->Close();
    FArchiv->Release();
  }
}

void I7zInArchive::OpenFile(const QString& Pfad) {
  const int fd = ::open(Pfad.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ESevenZip(DateiFehlertext("Cannot open file \"%1\". %2", Pfad, errno));
  auto* eingabe = new TDateiEingabe(fd);
  eingabe->AddRef();
  auto* callback = new TOeffnenCallback;
  callback->AddRef();
  const HRESULT ergebnis = FArchiv->Open(eingabe, nullptr, callback);
  callback->Release();
  eingabe->Release();
  // S_FALSE: the file is no archive of this format.
  if (ergebnis == S_FALSE) throw ESevenZip(QStringLiteral("Cannot open the file as archive: %1").arg(Pfad));
  Pruefen(ergebnis);
}

std::uint32_t I7zInArchive::NumberOfItems() {
  std::uint32_t anzahl = 0;
  Pruefen(FArchiv->GetNumberOfItems(&anzahl));
  return anzahl;
}

QString I7zInArchive::ItemPath(std::uint32_t Index) {
  PROPVARIANT wert{};
  Pruefen(FArchiv->GetProperty(Index, kpidPath, &wert));
  QString pfad;
  if (wert.vt == VT_BSTR && wert.bstrVal) pfad = QString::fromWCharArray(wert.bstrVal);
  FBibliothek->Freigeben(wert);
  return pfad;
}

std::optional<std::uint32_t> I7zInArchive::ItemCRC(std::uint32_t Index) {
  PROPVARIANT wert{};
  Pruefen(FArchiv->GetProperty(Index, kpidCRC, &wert));
  std::optional<std::uint32_t> crc;
  if (wert.vt == VT_UI4) crc = wert.ulVal;
  FBibliothek->Freigeben(wert);
  return crc;
}

std::optional<unsigned> I7zInArchive::ItemUnixRechte(std::uint32_t Index) {
  // 7-Zip keeps a Unix mode in the high 16 bits of the Windows attributes and marks it so.
  constexpr std::uint32_t kUnixErweiterung = 0x8000;
  PROPVARIANT wert{};
  Pruefen(FArchiv->GetProperty(Index, kpidAttrib, &wert));
  std::optional<unsigned> rechte;
  if (wert.vt == VT_UI4 && (wert.ulVal & kUnixErweiterung) && (wert.ulVal >> 16) != 0) rechte = (wert.ulVal >> 16) & 0777u;
  FBibliothek->Freigeben(wert);
  return rechte;
}

bool I7zInArchive::ItemIsFolder(std::uint32_t Index) {
  PROPVARIANT wert{};
  Pruefen(FArchiv->GetProperty(Index, kpidIsDir, &wert));
  const bool ordner = wert.vt == VT_BOOL && wert.boolVal != 0;
  FBibliothek->Freigeben(wert);
  return ordner;
}

void I7zInArchive::ExtractAll(bool Testmodus, void* Sender, T7zGetStreamCallBack Callback,
                              T7zErgebnisCallBack Ergebnis) {
  auto* callback = new TEntpackCallback(*this, Sender, Callback, Ergebnis);
  callback->AddRef();
  const HRESULT ergebnis = FArchiv->Extract(nullptr, 0xFFFFFFFFu, Testmodus ? 1 : 0, callback);
  const QString fehler = callback->Fehler();
  callback->Release();
  if (!fehler.isEmpty()) throw ESevenZip(fehler);
  if (ergebnis == E_ABORT) throw ESevenZipAbbruch();
  Pruefen(ergebnis);
}

}  // namespace kiro
