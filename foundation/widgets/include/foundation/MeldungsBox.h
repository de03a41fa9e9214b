#pragma once
// The widget implementation of MeldungZeigen.

namespace kiro {

// Installs a QMessageBox for MeldungZeigen: the type's icon, the requested buttons, the default
// button when one is given. A call from another thread shows the box on the user-interface
// thread and waits for the answer. Call once the QApplication exists.
void MeldungsBoxInstallieren();

}  // namespace kiro
