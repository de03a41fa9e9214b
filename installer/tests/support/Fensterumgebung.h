#pragma once
// A main window as the tests need it: real widgets on the offscreen platform, a real update
// server on 127.0.0.1, temporary home and temp folders, and a drive list the test sets.
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"
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
    u.Laufwerke = [this] { return Laufwerke; };
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

  TFormInfo Info;  // registers the image collection, as in the program
  HttpServer Server;
  TempOrdner Heim, Temp;
  QStringList Laufwerke;
  bool Internet = true;
  std::function<QString(const QString&)> OrdnerWaehlen;
};

}  // namespace kiro::test
