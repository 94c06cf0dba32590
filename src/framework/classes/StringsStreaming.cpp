// TStrings in the binary component stream: the items travel as the defined property "Strings",
// a list of string values, as the framework writes them.
#include "framework/classes/Filer.h"
#include "framework/classes/Strings.h"
#include "framework/classes/internal/UpdateBracket.h"

namespace vmado {

void TStrings::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        "Strings",
        [this](TReader& reader) {
            reader.ReadListBegin();
            {
                internal::UpdateBracket<TStrings> bracket(*this);
                Clear();
                while (!reader.EndOfList())
                    Add(reader.ReadString());
            }
            reader.ReadListEnd();
        },
        [this](TWriter& writer) {
            writer.WriteListBegin();
            const Integer count = Count();
            for (Integer i = 0; i < count; ++i)
                writer.WriteString(Get(i));
            writer.WriteListEnd();
        },
        Count() > 0);
}

} // namespace vmado
