#include "registration/DataSetProperties.h"

#include "ado/ADOBase.h"
#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "framework/classes/Strings.h"
#include "utils/Files.h"

#include <QFileDialog>
#include <QFileInfo>

namespace vmado {

namespace {

TVADODataSet& DataSetOf(const TPropertyEditor& editor)
{
    return dynamic_cast<TVADODataSet&>(*editor.Instance());
}

} // namespace

void TVADOConnectionProperty::Edit()
{
    SetStrValue(DataSetOf(*this).ConnectionEditor());
    Modified();
}

void TVADOColumnProperty::GetValues(const TGetStrProc& proc)
{
    TVADODataSet& dataSet = DataSetOf(*this);
    const AnsiString table = dataSet.InternalTable(dataSet.CommandText());
    if (!table.empty() && !dataSet.GetConnection().empty()) {
        // The two key properties never offer each other's column.
        const AnsiString other = primaryKey_ ? dataSet.GetMarkerField() : dataSet.GetPrimaryKey();
        TVConnection connection(true);
        connection.SetConnect(dataSet.GetConnection());
        TStringList names;
        connection.GetADOFieldNames(table, names);
        for (Integer i = 0; i < names.Count(); ++i)
            if (names.Strings(i) != other)
                proc(names.Strings(i));
    }
    Modified();
}

void TVADOFileNameProperty::Edit()
{
    TVADODataSet& dataSet = DataSetOf(*this);
    QFileDialog dialog;
    dialog.setObjectName("dlgFileName");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("DataSet Resource Files (*.drf)");
    dialog.setDefaultSuffix("drf");
    if (!dataSet.FileName().empty()) {
        const QFileInfo current(ToQString(dataSet.FileName()));
        dialog.setDirectory(current.path());
        dialog.selectFile(current.fileName());
    } else {
        const bool designing = dataSet.ComponentState().Contains(csDesigning);
        dialog.setDirectory(ToQString(designing ? GetWorkDir("Source") : GetExeDir()));
        dialog.selectFile("Default");
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        SetStrValue(FromQString(dialog.selectedFiles().constFirst()));
    Modified();
}

} // namespace vmado
