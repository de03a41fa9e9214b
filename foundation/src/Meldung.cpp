#include "foundation/Meldung.h"

#include <QMutex>

#include <cstdio>

namespace kiro {

namespace {
QMutex gHookMutex;
TMeldungZeigenHook gHook;

int OhneFenster(const TMeldungsBox& box) {
  std::fprintf(stderr, "%s\n", box.Text.toLocal8Bit().constData());
  if (box.Vorgabe & mbNo) return mrNo;
  if (box.Knoepfe & mbOK) return mrOk;
  if (box.Knoepfe & mbYes) return mrYes;
  return mrCancel;
}
}  // namespace

int MeldungZeigen(const QString& Text, TMsgDlgType Typ, TMsgDlgButtons Knoepfe, int Hilfe,
                  TMsgDlgButtons Vorgabe) {
  TMeldungZeigenHook hook;
  {
    QMutexLocker lock(&gHookMutex);
    hook = gHook;
  }
  const TMeldungsBox box{Text, Typ, Knoepfe, Hilfe, Vorgabe};
  return hook ? hook(box) : OhneFenster(box);
}

TMeldungZeigenHook MeldungZeigenHookSetzen(TMeldungZeigenHook Hook) {
  QMutexLocker lock(&gHookMutex);
  std::swap(gHook, Hook);
  return Hook;
}

}  // namespace kiro
