#include "editors/ConnectionEditor.h"

#include "ado/ADOBase.h"
#include "controls/QtBridge.h"
#include "dataset/EditorHooks.h"
#include "dialogs/DlgConnectEditor.h"
#include "framework/classes/PropInfo.h"
#include "framework/classes/Strings.h"

#include <QComboBox>

#include <memory>

namespace vmado {

namespace {

void DeclareConnectionEditor()
{
    ClassInfo<TVConnectionEditor>("TVConnectionEditor")
        .Parent<TComponent>()
        .String("Connection", &TVConnectionEditor::Connection, &TVConnectionEditor::SetConnection)
        .String("DefaultTable", &TVConnectionEditor::DefaultTable, &TVConnectionEditor::SetDefaultTable);
}

void FillCombo(QComboBox* box, const TStrings& items)
{
    box->clear();
    for (Integer i = 0; i < items.Count(); ++i)
        box->addItem(ToQString(items.Strings(i)));
}

// The engine's own database providers, which the classic provider table does not know.
const char* const kEngineProviders[][2] = {{"SQLite", "SQLite databases (embedded)"},
                                           {"PostgreSQL", "PostgreSQL servers"}};

} // namespace

TVConnectionEditor::TVConnectionEditor(TComponent* owner) : TComponent(owner)
{
    static const bool declared = (DeclareConnectionEditor(), true);
    (void)declared;
}

bool TVConnectionEditor::Execute()
{
    TConnectEditor form(nullptr);
    form.SetConnection(connection_);
    form.SetFilterEvent([](const AnsiString& driver) { return TVConnection::GetOdbcDriverFilter(driver); });
    TStringList dsns;
    TVConnection::GetOdbcDSNList(dsns);
    FillCombo(form.cbxSystem, dsns);
    TStringList drivers;
    TVConnection::GetOdbcDriverList(drivers);
    FillCombo(form.cbxDriver, drivers);
    TStringList descriptions;
    TStringList names;
    TVConnection::GetADOProviderList(descriptions, names);
    for (const auto& [name, description] : kEngineProviders) {
        names.Add(name);
        descriptions.Add(description);
    }
    form.SetProviders(descriptions, names);

    if (form.exec() == QDialog::Accepted) {
        connection_ = form.GetConnect();
        defaultTable_ = form.DefaultTable();
        return true;
    }
    defaultTable_.clear();
    return false;
}

void InstallConnectionEditorHook()
{
    SetConnectionEditorHook([](TComponent* owner, AnsiString& text) {
        std::unique_ptr<TVConnectionEditor> editor = std::make_unique<TVConnectionEditor>(owner);
        editor->SetConnection(text);
        if (!editor->Execute())
            return false;
        text = editor->Connection();
        return true;
    });
}

} // namespace vmado
