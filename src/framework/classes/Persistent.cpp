// TPersistent's assignment protocol: Assign asks the source, AssignTo refuses by default, so a
// pair of classes that know each other can copy in either direction.
#include "framework/classes/Persistent.h"

#include "framework/rtl/Exceptions.h"

namespace vmado {

void TPersistent::Assign(const TPersistent* source)
{
    if (source == nullptr)
        AssignError(nullptr);
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const AnsiString sourceName = source != nullptr ? source->ClassName() : AnsiString("nil");
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

AnsiString TPersistent::GetNamePath() const
{
    AnsiString result = ClassName();
    if (const TPersistent* owner = GetOwner()) {
        const AnsiString ownerPath = owner->GetNamePath();
        if (!ownerPath.empty())
            result = ownerPath + "." + result;
    }
    return result;
}

} // namespace vmado
