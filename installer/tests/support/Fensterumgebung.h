#pragma once
// A main window as the tests need it: real widgets on the offscreen platform, a real update
// server on 127.0.0.1, temporary home and temp folders, a drive list the test sets, a device
// watcher the test drives with Pruefen, and the formatter the test hands in.
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"
#include "platform/Formatierer.h"
#include "platform/Laufwerksbeobachter.h"
#include "testsupport/HttpServer.h"
#include "testsupport/TempOrdner.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace kiro::test {

class Fensterumgebung : public ::testing::Test {
 protected:
  Fensterumgebung() { Server.Setzen("/db/servertest.txt", "ok"); }

  TWebInstallUmgebung Umgebung(TEdition Edition = {}) {
    TWebInstallUmgebung u;
    u.Laufwerke = [this] { return Datensaetze(); };
    Beobachter = std::make_shared<platform::TLaufwerksbeobachter>(
        [this] {
          QStringList namen;
          for (const auto& w : Datensaetze()) namen.append(w.Name);
          return namen;
        },
        QString(), false);
    u.Beobachter = Beobachter;
    u.Formatierer = [this] { return Formatierer ? Formatierer() : nullptr; };
    u.Basisverzeichnis = Heim.Pfad();
    u.TempVerzeichnis = Temp.Pfad();
    u.UpdateServer = Server.BasisUrl();
    u.Edition = Edition;
    u.InternetVerbunden = [this] { return Internet; };
    u.OrdnerWaehlen = [this](const QString& v) { return OrdnerWaehlen ? OrdnerWaehlen(v) : QString(); };
    return u;
  }

  std::unique_ptr<TFormWebInstall> Fenster(TEdition Edition = {}) {
    return std::make_unique<TFormWebInstall>(Umgebung(Edition));
  }

  static void DriveWaehlen(TFormWebInstall& f, int Index) { f.ComboBoxQVUSBLaufwerk->setCurrentIndex(Index); }

  // The drives as the window gets them: from Quelle when set, else from the names in
  // Laufwerke (a device node names itself; a mount point has no device here).
  QList<platform::TWechsellaufwerk> Datensaetze() const {
    if (Quelle) return Quelle();
    QList<platform::TWechsellaufwerk> liste;
    for (const QString& n : Laufwerke) {
      const bool knoten = n.startsWith(QLatin1String("/dev/"));
      liste.append({n, knoten ? n : QString(), QString(), !knoten});
    }
    return liste;
  }

  TFormInfo Info;  // registers the image collection, as in the program
  HttpServer Server;
  TempOrdner Heim, Temp;
  QStringList Laufwerke;
  std::function<QList<platform::TWechsellaufwerk>()> Quelle;
  std::shared_ptr<platform::TLaufwerksbeobachter> Beobachter;  // of the last window made
  std::function<std::unique_ptr<platform::TFormatierer>()> Formatierer;
  bool Internet = true;
  std::function<QString(const QString&)> OrdnerWaehlen;
};

}  // namespace kiro::test
