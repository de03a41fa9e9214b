#include "testsupport/Archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace kiro::test {

bool SiebenZipPacken(const QString& Ordner, const QString& Archiv, const QStringList& Schalter, QString* Fehler) {
  QFile::remove(Archiv);
  QProcess p;
  p.setWorkingDirectory(Ordner);
  p.setProcessChannelMode(QProcess::MergedChannels);
  // The tool reads names from the disk in its locale's encoding; ours are UTF-8, so a caller's
  // Latin-1 locale would store every non-ASCII name encoded twice.
  QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
  umgebung.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  p.setProcessEnvironment(umgebung);
  // "." packs the folder's content under names relative to it.
  p.start(QStringLiteral("7z"), QStringList{"a", "-t7z", "-bd", "-y"} + Schalter +
                                     QStringList{QFileInfo(Archiv).absoluteFilePath(), "."});
  const bool ok = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (!ok && Fehler) *Fehler = QString::fromLocal8Bit(p.readAll()) + p.errorString();
  return ok;
}

bool ArchivSchreiben(const QString& Archiv, const QList<TArchivEintrag>& Eintraege, QString* Fehler) {
  archive* a = archive_write_new();
  bool ok = archive_write_set_format_7zip(a) == ARCHIVE_OK &&
            archive_write_open_filename(a, QFile::encodeName(Archiv).constData()) == ARCHIVE_OK;
  for (const TArchivEintrag& e : Eintraege) {
    if (!ok) break;
    archive_entry* eintrag = archive_entry_new();
    archive_entry_set_pathname_utf8(eintrag, e.Name.constData());
    archive_entry_set_mtime(eintrag, 1700000000, 0);
    switch (e.Art) {
      case TArchivEintrag::Datei:
        archive_entry_set_filetype(eintrag, AE_IFREG);
        archive_entry_set_perm(eintrag, 0644);
        archive_entry_set_size(eintrag, e.Inhalt.size());
        break;
      case TArchivEintrag::Ordner:
        archive_entry_set_filetype(eintrag, AE_IFDIR);
        archive_entry_set_perm(eintrag, 0755);
        break;
      case TArchivEintrag::Verweis:
        archive_entry_set_filetype(eintrag, AE_IFLNK);
        archive_entry_set_perm(eintrag, 0777);
        archive_entry_set_symlink_utf8(eintrag, e.Inhalt.constData());
        break;
    }
    ok = archive_write_header(a, eintrag) == ARCHIVE_OK;
    if (ok && e.Art == TArchivEintrag::Datei && !e.Inhalt.isEmpty())
      ok = archive_write_data(a, e.Inhalt.constData(), size_t(e.Inhalt.size())) == e.Inhalt.size();
    archive_entry_free(eintrag);
  }
  if (!ok && Fehler) *Fehler = QString::fromLocal8Bit(archive_error_string(a));
  if (archive_write_close(a) != ARCHIVE_OK) {
    if (ok && Fehler) *Fehler = QString::fromLocal8Bit(archive_error_string(a));
    ok = false;
  }
  archive_write_free(a);
  return ok;
}

int GemischteDateienErzeugen(const QString& Ordner, std::int64_t Bytes, std::uint32_t Saat, std::int64_t DateiGroesse) {
  static const char* const kWoerter[] = {"Strecke", "Signal", "Weiche", "Fahrplan", "Bahnhof", "Gleis",
                                         "Zug", "Lok", "Halt", "Abfahrt", "Kilometer", "Tunnel",
                                         "Bruecke", "Stellwerk", "Bremse", "Tempo", "\n", " "};
  std::mt19937_64 zufall(Saat);
  std::int64_t geschrieben = 0;
  int anzahl = 0;
  QByteArray puffer;
  while (geschrieben < Bytes) {
    const std::int64_t groesse = std::min<std::int64_t>(Bytes - geschrieben, DateiGroesse / 2 + std::int64_t(zufall() % std::uint64_t(DateiGroesse)));
    puffer.resize(0);
    puffer.reserve(groesse + 16);
    if (anzahl % 2 == 0) {
      while (puffer.size() < groesse) {
        puffer += kWoerter[zufall() % std::size(kWoerter)];
        puffer += ' ';
        puffer += QByteArray::number(qulonglong(zufall() % 1000));
      }
      puffer.truncate(groesse);
    } else {
      puffer.resize(groesse);
      for (std::int64_t i = 0; i + 8 <= groesse; i += 8) {
        const std::uint64_t z = zufall();
        std::memcpy(puffer.data() + i, &z, 8);
      }
    }
    const QString unter = QStringLiteral("teil%1/stufe%2").arg(anzahl % 5).arg(anzahl % 3);
    QDir().mkpath(Ordner + u'/' + unter);
    QFile f(Ordner + u'/' + unter + QStringLiteral("/datei%1.bin").arg(anzahl));
    if (!f.open(QIODevice::WriteOnly) || f.write(puffer) != puffer.size()) return -1;
    geschrieben += groesse;
    ++anzahl;
  }
  return anzahl;
}

bool ByteKippen(const QString& Datei, std::int64_t Position) {
  QFile f(Datei);
  if (!f.open(QIODevice::ReadWrite) || Position >= f.size() || !f.seek(Position)) return false;
  char c = 0;
  if (!f.getChar(&c) || !f.seek(Position)) return false;
  return f.putChar(char(~c));
}

bool Kuerzen(const QString& Datei, std::int64_t Laenge) { return QFile::resize(Datei, Laenge); }

}  // namespace kiro::test
