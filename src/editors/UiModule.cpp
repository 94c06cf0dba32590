#include "editors/UiModule.h"

#include "controls/QtBridge.h"
#include "dataset/EditorHooks.h"
#include "editors/ColorEditor.h"
#include "editors/ConnectionEditor.h"
#include "editors/ExportEditor.h"
#include "editors/FillUpEditor.h"
#include "editors/FilterEditor.h"
#include "framework/classes/Application.h"
#include "framework/classes/Thread.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>

namespace vmado {

void InitializeUi()
{
    InstallFilterEditorHook();
    InstallFillUpEditorHook();
    InstallExportEditorHook();
    InstallColorEditorHook();
    InstallConnectionEditorHook();
    SetExceptionShower([](const Exception& e) {
        QMessageBox::critical(QApplication::activeWindow(), ToQString(Application()->Title()),
                              ToQString(e.Message()));
    });
    SetMessagePump([] { QCoreApplication::processEvents(); });
    // A worker's Synchronize waits for the main thread; posting to the application object puts
    // the hand-back into Qt's own queue, so a modal dialog's loop runs it too.
    SetWakeMainThread([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { CheckSynchronize(); }, Qt::QueuedConnection);
    });
}

void FinalizeUi()
{
    SetWakeMainThread(nullptr);
    SetMessagePump(nullptr);
    SetExceptionShower(nullptr);
    SetConnectionEditorHook(nullptr);
    EditorHooks() = TEditorHooks{};
}

} // namespace vmado
