// Starting the UI module: an application with Qt widgets calls InitializeUi once, after making its
// QApplication, so the library's dialogs, error display and worker hand-backs run through Qt.
#pragma once

namespace vmado {

// Fills the editor hooks with the module's dialogs, shows exceptions in a message box, and lets
// worker threads wake the Qt event loop to run their synchronised calls. Calling it again does
// nothing more; FinalizeUi restores the console behaviour (tests and plug-ins unloading).
void InitializeUi();
void FinalizeUi();

} // namespace vmado
