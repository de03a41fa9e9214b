#include "foundation/Ereignisse.h"

#include <QCoreApplication>
#include <QThread>

namespace kiro {

void EreignisseVerarbeiten() {
  auto* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread()) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kiro
