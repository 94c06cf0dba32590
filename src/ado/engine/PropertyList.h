// A plain list of named values serving the Properties/Property interfaces (connection, recordset
// and field properties). Read-only unless built writable.
#pragma once

#include "ado/ADOApi.h"

#include <functional>
#include <vector>

namespace vmado::engine {

class PropertyList final : public Properties {
public:
    void Add(const AnsiString& name, const Variant& value, DataTypeEnum type = adVarChar);
    // A writable property read and written through its owner; set raises for a value it refuses.
    void AddSettable(const AnsiString& name, std::function<Variant()> get,
                     std::function<void(const Variant&)> set, DataTypeEnum type);
    Integer Count() const override;
    PropertyPtr Item(Integer index) const override;
    PropertyPtr Item(const AnsiString& name) const override;
    void Refresh() override {}

private:
    std::vector<PropertyPtr> items_;
};

} // namespace vmado::engine
