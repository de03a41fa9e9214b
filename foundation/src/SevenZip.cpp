#include "foundation/SevenZip.h"

#include "foundation/CRC32.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Kern.h"
#include "foundation/Meldung.h"
#include "foundation/Pfade.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutex>
#include <QTimer>

#include <cxxabi.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
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

QString OrdnerFehler(const QString& Pfad, int Fehler) {
  return QStringLiteral("Cannot create folder \"%1\". %2").arg(Pfad, SystemFehlertext(Fehler));
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

// The mode a file of the archive gets: the read and execute bits its Unix attributes give (never
// setuid, setgid or sticky), writable for whom the umask allows; without them, as any new file.
mode_t DateiModus(std::optional<unsigned> Rechte) {
  if (!Rechte) return 0666;
  return mode_t((*Rechte & 0555u) | 0222u);
}

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

bool SevenZipEntpacken(const QString& SevenZipDateiAbs, const QString& Basisverzeichnis, QObject* ProgressBar,
                       int BasisDeskriptor, const std::function<bool()>& Beenden) {
  auto beenden = [&Beenden] { return Beenden && Beenden(); };
  if (beenden()) return false;
  T7zEntpackThread thread(Basisverzeichnis, SevenZipDateiAbs, ProgressBar, BasisDeskriptor);
  // The window stays alive: its events are handled as they arrive, in a local event loop that
  // the worker's end leaves at once; it wakes every 250 ms besides, to see a request to stop.
  // Off the user-interface thread, or once the application quits (its loops then refuse to
  // run), the wait goes in slices instead.
  auto* app = QCoreApplication::instance();
  const bool fenster = app && QThread::currentThread() == app->thread();
  QEventLoop schleife;
  std::atomic<bool> fertig{false};
  QObject::connect(&thread, &QThread::finished, &schleife, [&] {
    fertig = true;
    schleife.quit();
  });
  QTimer wecker;
  QObject::connect(&wecker, &QTimer::timeout, &schleife, &QEventLoop::quit);
  if (fenster) wecker.start(250);
  while (!fertig && !thread.isFinished()) {
    if (!fenster || schleife.exec() != 0) {
      thread.wait(QDeadlineTimer(250));
      EreignisseVerarbeiten();
    }
    if (beenden()) thread.Terminate();
  }
  thread.wait();
  if (!thread.FatalFehler().isEmpty()) MeldungZeigen(thread.FatalFehler(), TMsgDlgType::mtError, mbOK, 0);
  return thread.Result();
}

T7zEntpackThread::T7zEntpackThread(const QString& Basisverzeichnis, const QString& SevenZipDateiAbs,
                                   QObject* ProgressBar, int BasisDeskriptor)
    : FBasisverzeichnis(Basisverzeichnis),
      FSevenZipDateiAbs(SevenZipDateiAbs),
      FProgressBarHandle(ProgressBar) {
  // An empty folder means the current one; it must not turn into the root.
  if (!FBasisverzeichnis.isEmpty() && !FBasisverzeichnis.endsWith(u'/')) FBasisverzeichnis += u'/';
  if (BasisDeskriptor >= 0) {
    FBasisGegeben = true;
    FBasisDeskriptor = ::fcntl(BasisDeskriptor, F_DUPFD_CLOEXEC, 0);
  }
  // Every field is set before the body runs.
  start();
}

T7zEntpackThread::~T7zEntpackThread() {
  Terminate();
  wait();
  FArch.reset();
  NeueVerwerfen();
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
    FArch->ExtractAll(false, this, &EntpackStreamHolen, &EntpackErgebnis);
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
  // Whatever ended the extraction, no temporary file of it stays.
  NeueVerwerfen();
}

void T7zEntpackThread::StreamBeendet(std::uint32_t Index, const T7zStreamEnde& Ende) {
  std::lock_guard lock(FNeuSperre);
  const auto it = FNeu.find(Index);
  if (it == FNeu.end()) return;
  it->second.Ende = Ende;
  Entscheiden(Index);
}

bool T7zEntpackThread::Entscheiden(std::uint32_t Index) {
  const auto it = FNeu.find(Index);
  if (it == FNeu.end()) return true;
  TNeueDatei& d = it->second;
  bool ok = true;
  if ((d.Ende && !d.Ende->Ok) || (d.DatenOk && !*d.DatenOk)) {
    ::unlinkat(d.Ordner, d.Temp.constData(), 0);
  } else if (d.Ende && d.DatenOk) {
    // No sync: like "7z x", the unpack leaves writing back to the system; the stick build's
    // check and a repeated run find what a crash lost.
    if (::renameat(d.Ordner, d.Temp.constData(), d.Ordner, d.Name.constData()) != 0) {
      FDateiFehler.Melden(DateiFehler(d.Ziel, errno));
      ::unlinkat(d.Ordner, d.Temp.constData(), 0);
      ok = false;
    } else {
      // A rename keeps the inode, size and time the sum was taken with.
      CRC32Merken(d.Ende->St, d.Ziel, d.ArchivCrc ? *d.ArchivCrc : d.Ende->Crc, d.Ende->Groesse);
    }
  } else {
    return true;  // the other half is still to come
  }
  ::close(d.Ordner);
  FNeu.erase(it);
  return ok;
}

void T7zEntpackThread::NeueVerwerfen() {
  std::lock_guard lock(FNeuSperre);
  for (auto& [index, d] : FNeu) {
    ::unlinkat(d.Ordner, d.Temp.constData(), 0);
    ::close(d.Ordner);
  }
  FNeu.clear();
}

int T7zEntpackThread::BasisOeffnen() {
  if (FBasisDeskriptor >= 0 || FBasisGegeben) return FBasisDeskriptor;
  // The target folder itself is the caller's choice and may be reached through links;
  // below it nothing is followed.
  const int angelegt =
      FBasisverzeichnis.isEmpty() ? 0 : VerzeichnisAnlegen(std::string(FBasisverzeichnis.toLocal8Bit().constData()));
  const QByteArray basis = FBasisverzeichnis.isEmpty() ? QByteArray(".") : FBasisverzeichnis.toLocal8Bit();
  FBasisDeskriptor = ::open(basis.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder that could not be made is missing afterwards; its own reason is the one to tell.
  if (FBasisDeskriptor < 0) FBasisFehler = errno == ENOENT && angelegt ? angelegt : errno;
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
        struct stat st {};
        if (VerwaisteTempdatei(e->d_name) &&
            ::fstatat(Deskriptor, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            ::unlinkat(Deskriptor, e->d_name, 0) == 0)
          continue;
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
    const std::optional<std::uint32_t> archivCrc = t->FArch->ItemCRC(index);
    const mode_t modus = DateiModus(t->FArch->ItemUnixRechte(index));
    const auto teile = SichereKomponenten(name);
    if (!teile) {
      t->FDateiFehler.Melden(UnsichererName(name));
      return E_ABORT;
    }
    QString ziel = t->FBasisverzeichnis + teile->join(u'/');
    const int basis = t->BasisOeffnen();
    if (basis < 0) {
      t->FDateiFehler.Melden(OrdnerFehler(t->FBasisverzeichnis, t->FBasisFehler));
      return E_ABORT;
    }
    // Level by level below the target, never through a symbolic link.
    int ordner = basis;
    QString relativ;
    for (qsizetype i = 0; i + 1 < teile->size(); ++i) {
      const QString teil = t->NameAufPlatte(ordner, relativ, teile->at(i));
      relativ = relativ.isEmpty() ? teil : relativ + u'/' + teil;
      const QByteArray roh = teil.toLocal8Bit();
      const int angelegt = ::mkdirat(ordner, roh.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
      const int naechster = ::openat(ordner, roh.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      const int fehler = errno;
      if (ordner != basis) ::close(ordner);
      if (naechster < 0) {
        // A folder that was refused is missing: its own reason, not the missing name, is told.
        t->FDateiFehler.Melden(fehler == ENOENT && angelegt ? OrdnerFehler(t->FBasisverzeichnis + relativ, angelegt)
                                                            : DateiFehler(ziel, fehler));
        return E_ABORT;
      }
      ordner = naechster;
    }
    const QString dateiname = t->NameAufPlatte(ordner, relativ, teile->last());
    ziel = t->FBasisverzeichnis + (relativ.isEmpty() ? dateiname : relativ + u'/' + dateiname);
    const QByteArray datei = dateiname.toLocal8Bit();
    auto fehlschlag = [&](int Fehler) {
      if (ordner != basis) ::close(ordner);
      t->FDateiFehler.Melden(DateiFehler(ziel, Fehler));
      return E_ABORT;
    };
    // Only a regular file is ever replaced: a folder, a link or a device in the way fails.
    struct stat vorher {};
    if (::fstatat(ordner, datei.constData(), &vorher, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(vorher.st_mode))
      return fehlschlag(S_ISDIR(vorher.st_mode) ? EISDIR : S_ISLNK(vorher.st_mode) ? ELOOP : EEXIST);
    // Written beside the old file, which stays whole until the new one is complete.
    std::string tempName;
    const int fd = TempdateiAnlegen(ordner, {}, modus, tempName);
    if (fd < 0) return fehlschlag(errno);
    const QByteArray temp = QByteArray::fromStdString(tempName);
    // The folder stays open for the rename; the base descriptor belongs to the thread.
    const int ordnerFuerDatei = ordner != basis ? ordner : ::fcntl(basis, F_DUPFD_CLOEXEC, 0);
    if (ordnerFuerDatei < 0) {
      const int fehler = errno;
      ::unlinkat(ordner, temp.constData(), 0);
      ::close(fd);
      return fehlschlag(fehler);
    }
    {
      std::lock_guard lock(t->FNeuSperre);
      t->FNeu[index] = T7zEntpackThread::TNeueDatei{ordnerFuerDatei, temp, datei, ziel, {}, {}, archivCrc};
    }
    auto* stream = new T7zStream(
        fd, true, ziel, &t->FDateiFehler, [t, index](const T7zStreamEnde& e) { t->StreamBeendet(index, e); },
        !archivCrc, &t->FTerminated);
    stream->AddRef();
    *outStream = stream;
    return S_OK;
  } catch (const ESevenZip& e) {
    t->FDateiFehler.Melden(e.Meldung());
    return E_ABORT;
  }
}

HRESULT EntpackErgebnis(void* sender, std::uint32_t index, std::int32_t opRes) {
  auto* t = static_cast<T7zEntpackThread*>(sender);
  std::lock_guard lock(t->FNeuSperre);
  const auto it = t->FNeu.find(index);
  if (it == t->FNeu.end()) return S_OK;
  it->second.DatenOk = opRes == kOpResultOK;
  return t->Entscheiden(index) ? S_OK : E_ABORT;
}

}  // namespace kiro
