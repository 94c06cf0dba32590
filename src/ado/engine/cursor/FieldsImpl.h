// The Fields collection and Field objects of the engine's recordset: thin views that forward to
// the recordset. A field of a closed or re-opened recordset raises instead of reading stale data.
#pragma once

#include "ado/ADOApi.h"

#include <memory>
#include <vector>

namespace vmado::engine {

class RecordsetImpl;

class FieldsImpl final : public Fields {
public:
    FieldsImpl(std::weak_ptr<RecordsetImpl> owner, int count);
    Integer Count() const override;
    FieldPtr Item(Integer index) const override;
    FieldPtr Item(const AnsiString& name) const override;
    void Refresh() override {}
    void Detach(); // the recordset closed: every field of this collection stops working

private:
    std::weak_ptr<RecordsetImpl> owner_;
    std::shared_ptr<int> token_ = std::make_shared<int>(0);
    std::vector<FieldPtr> items_;
};

} // namespace vmado::engine
