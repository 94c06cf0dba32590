// The dataset's property editors. They apply to the table and the query too.
#pragma once

#include "framework/design/Design.h"

namespace vmado {

class TVADODataSet;

// The connection editor dialog on the dataset's connection string.
class TVADOConnectionProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() override { return TPropertyAttributes{paDialog}; }
    void Edit() override;
};

// The columns of the dataset's table, leaving out the one the other key property names.
class TVADOColumnProperty : public TStringProperty {
public:
    TVADOColumnProperty(TFormDesigner* designer, TPersistent* instance, const TPropInfo* prop,
                        bool primaryKey)
        : TStringProperty(designer, instance, prop), primaryKey_(primaryKey)
    {
    }
    TPropertyAttributes GetAttributes() override
    {
        return TPropertyAttributes{paValueList, paSortList, paAutoUpdate};
    }
    void GetValues(const TGetStrProc& proc) override;

private:
    bool primaryKey_;
};

class TVADOPrimaryKeyProperty : public TVADOColumnProperty {
public:
    TVADOPrimaryKeyProperty(TFormDesigner* d, TPersistent* i, const TPropInfo* p)
        : TVADOColumnProperty(d, i, p, true)
    {
    }
};

class TVADOMarkerFieldProperty : public TVADOColumnProperty {
public:
    TVADOMarkerFieldProperty(TFormDesigner* d, TPersistent* i, const TPropInfo* p)
        : TVADOColumnProperty(d, i, p, false)
    {
    }
};

// A save dialog for the dataset's settings file.
class TVADOFileNameProperty : public TStringProperty {
public:
    using TStringProperty::TStringProperty;
    TPropertyAttributes GetAttributes() override { return TPropertyAttributes{paDialog}; }
    void Edit() override;
};

} // namespace vmado
