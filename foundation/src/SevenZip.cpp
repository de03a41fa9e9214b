#include "foundation/SevenZip.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Kern.h"
#include "foundation/Meldung.h"
#include "foundation/Pfade.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutex>

#include <cxxabi.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kiro {

using namespace sz;

namespace {

QMutex gBibliothekSperre;
QString gBibliothek;

QString ProgrammOrdner() {
  char puffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", puffer, sizeof puffer - 1);
  if (n <= 0) return {};
  return QFileInfo(QString::fromLocal8Bit(puffer, n)).absolutePath();
}

QString DateiFehler(const QString& Pfad, int Fehler) {
  return QStringLiteral("Cannot create file \"%1\". %2").arg(Pfad, SystemFehlertext(Fehler));
}

QString UnsichererName(const QString& Name) {
  return QStringLiteral("Refused archive entry \"%1\": its path could lead outside the target folder").arg(Name);
}

// The type name of an exception that carries no message of its own.
QString KlassenName() {
  const std::type_info* typ = abi::__cxa_current_exception_type();
  if (!typ) return QStringLiteral("unknown exception");
  int status = 0;
  char* lesbar = abi::__cxa_demangle(typ->name(), nullptr, nullptr, &status);
  const QString name = QString::fromLatin1(status == 0 && lesbar ? lesbar : typ->name());
  std::free(lesbar);
  return name;
}

int AlsInt(std::uint32_t Wert) { return Wert > std::uint32_t(INT_MAX) ? INT_MAX : int(Wert); }

}  // namespace

QString SevenZipBibliothek() {
  {
    QMutexLocker lock(&gBibliothekSperre);
    if (!gBibliothek.isEmpty()) return gBibliothek;
  }
  return ProgrammOrdner() + u'/' + QLatin1String(SevenZipBibliothekRelativ);
}

void SevenZipBibliothekSetzen(const QString& Pfad) {
  QMutexLocker lock(&gBibliothekSperre);
  gBibliothek = Pfad;
}

void ArchivObjektErzeugen(std::unique_ptr<I7zInArchive>& Arch) {
  Arch = std::make_unique<I7zInArchive>(SevenZipBibliothek(), CLSID_Format7z);
}

bool SevenZipEntpacken(const QString& SevenZipDateiAbs, const QString& Basisverzeichnis, QObject* ProgressBar) {
  T7zEntpackThread thread(Basisverzeichnis, SevenZipDateiAbs, ProgressBar);
  // The window stays alive: handle its events between short waits.
  while (!thread.wait(QDeadlineTimer(250))) EreignisseVerarbeiten();
  if (!thread.FatalFehler().isEmpty()) MeldungZeigen(thread.FatalFehler(), TMsgDlgType::mtError, mbOK, 0);
  return thread.Result();
}

T7zEntpackThread::T7zEntpackThread(const QString& Basisverzeichnis, const QString& SevenZipDateiAbs,
                                   QObject* ProgressBar)
    : FBasisverzeichnis(Basisverzeichnis),
      FSevenZipDateiAbs(SevenZipDateiAbs),
      FProgressBarHandle(ProgressBar) {
  // An empty folder means the current one; it must not turn into the root.
  if (!FBasisverzeichnis.isEmpty() && !FBasisverzeichnis.endsWith(u'/')) FBasisverzeichnis += u'/';
  // Every field is set before the body runs.
  start();
}

T7zEntpackThread::~T7zEntpackThread() {
  Terminate();
  wait();
  FArch.reset();
  if (FBasisDeskriptor >= 0) ::close(FBasisDeskriptor);
}

void T7zEntpackThread::Execute() {
  try {
    ArchivObjektErzeugen(FArch);
    FArch->OpenFile(FSevenZipDateiAbs);
    const std::uint32_t anzahl = FArch->NumberOfItems();
    if (FProgressBarHandle)
      QMetaObject::invokeMethod(FProgressBarHandle, "setRange", Qt::QueuedConnection, Q_ARG(int, 0),
                                Q_ARG(int, AlsInt(anzahl)));
    // A hostile name refuses the whole archive before anything is written.
    for (std::uint32_t i = 0; i < anzahl; ++i) {
      const QString name = FArch->ItemPath(i);
      if (!SichereKomponenten(name)) throw ESevenZip(UnsichererName(name));
    }
    FArch->ExtractAll(false, this, &EntpackStreamHolen);
    FFatalFehler = FDateiFehler.Erster();
    FResult = FFatalFehler.isEmpty();
  } catch (const ESevenZipAbbruch&) {
    // Our callback refused: for a reason it gave, or quietly because Terminate asked it to.
    FFatalFehler = FDateiFehler.Erster();
  } catch (const ESevenZip& e) {
    const QString datei = FDateiFehler.Erster();
    FFatalFehler = datei.isEmpty() ? e.Meldung() : datei;
  } catch (const std::exception& e) {
    FFatalFehler = QString::fromLocal8Bit(e.what());
  } catch (...) {
    FFatalFehler = KlassenName();
  }
}

int T7zEntpackThread::BasisOeffnen() {
  if (FBasisDeskriptor >= 0) return FBasisDeskriptor;
  // The target folder itself is the caller's choice and may be reached through links;
  // below it nothing is followed.
  if (!FBasisverzeichnis.isEmpty()) VerzeichnisAnlegen(std::string(FBasisverzeichnis.toLocal8Bit().constData()));
  const QByteArray basis = FBasisverzeichnis.isEmpty() ? QByteArray(".") : FBasisverzeichnis.toLocal8Bit();
  FBasisDeskriptor = ::open(basis.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return FBasisDeskriptor;
}

QString T7zEntpackThread::NameAufPlatte(int Deskriptor, const QString& Relativ, const QString& Name) {
  auto it = FOrdnerNamen.find(Relativ);
  if (it == FOrdnerNamen.end()) {
    it = FOrdnerNamen.insert(Relativ, {});
    const int kopie = ::dup(Deskriptor);
    DIR* d = kopie >= 0 ? ::fdopendir(kopie) : nullptr;
    if (!d && kopie >= 0) ::close(kopie);
    if (d) {
      ::rewinddir(d);
      while (const dirent* e = ::readdir(d)) {
        const QString n = QString::fromLocal8Bit(e->d_name);
        if (n == u"." || n == u"..") continue;
        it->Namen.insert(n);
        it->Gefaltet.insert(n.toCaseFolded(), n);
      }
      ::closedir(d);
    }
  }
  if (it->Namen.contains(Name)) return Name;
  const QString gefaltet = Name.toCaseFolded();
  const auto vorhanden = it->Gefaltet.constFind(gefaltet);
  if (vorhanden != it->Gefaltet.constEnd()) return *vorhanden;
  it->Namen.insert(Name);
  it->Gefaltet.insert(gefaltet, Name);
  return Name;
}

HRESULT EntpackStreamHolen(void* sender, std::uint32_t index, ISequentialOutStream** outStream) {
  auto* t = static_cast<T7zEntpackThread*>(sender);
  *outStream = nullptr;
  if (t->FTerminated) return E_ABORT;
  try {
    // Folders appear on disk only as parents of files.
    if (t->FArch->ItemIsFolder(index)) return S_OK;
    if (t->FProgressBarHandle)
      QMetaObject::invokeMethod(t->FProgressBarHandle, "setValue", Qt::QueuedConnection, Q_ARG(int, AlsInt(index)));
    const QString name = t->FArch->ItemPath(index);
    const auto teile = SichereKomponenten(name);
    if (!teile) {
      t->FDateiFehler.Melden(UnsichererName(name));
      return E_ABORT;
    }
    QString ziel = t->FBasisverzeichnis + teile->join(u'/');
    const int basis = t->BasisOeffnen();
    if (basis < 0) {
      t->FDateiFehler.Melden(DateiFehler(ziel, errno));
      return E_ABORT;
    }
    // Level by level below the target, never through a symbolic link.
    int ordner = basis;
    QString relativ;
    for (qsizetype i = 0; i + 1 < teile->size(); ++i) {
      const QString teil = t->NameAufPlatte(ordner, relativ, teile->at(i));
      relativ = relativ.isEmpty() ? teil : relativ + u'/' + teil;
      const QByteArray roh = teil.toLocal8Bit();
      ::mkdirat(ordner, roh.constData(), 0777);
      const int naechster = ::openat(ordner, roh.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      const int fehler = errno;
      if (ordner != basis) ::close(ordner);
      if (naechster < 0) {
        t->FDateiFehler.Melden(DateiFehler(ziel, fehler));
        return E_ABORT;
      }
      ordner = naechster;
    }
    const QString dateiname = t->NameAufPlatte(ordner, relativ, teile->last());
    ziel = t->FBasisverzeichnis + (relativ.isEmpty() ? dateiname : relativ + u'/' + dateiname);
    const QByteArray datei = dateiname.toLocal8Bit();
    // A file with further hard links is replaced, not emptied: its other names may lie outside.
    struct stat vorher {};
    if (::fstatat(ordner, datei.constData(), &vorher, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(vorher.st_mode) &&
        vorher.st_nlink > 1)
      ::unlinkat(ordner, datei.constData(), 0);
    // O_NONBLOCK keeps a fifo in the way from blocking us; only regular files are written.
    const int fd = ::openat(ordner, datei.constData(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    const int fehler = errno;
    if (ordner != basis) ::close(ordner);
    if (fd < 0) {
      t->FDateiFehler.Melden(DateiFehler(ziel, fehler));
      return E_ABORT;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      t->FDateiFehler.Melden(DateiFehler(ziel, EEXIST));
      return E_ABORT;
    }
    auto* stream = new T7zStream(fd, true, ziel, &t->FDateiFehler);
    stream->AddRef();
    *outStream = stream;
    return S_OK;
  } catch (const ESevenZip& e) {
    t->FDateiFehler.Melden(e.Meldung());
    return E_ABORT;
  }
}

}  // namespace kiro
