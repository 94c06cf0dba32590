// How a parameter list streams: each TParam writes DataType, Name and ParamType as published
// properties and its value as the custom property "Data".
#include "framework/db/Params.h"

namespace vmado {

void TParam::DefineProperties(TFiler& filer)
{
    TCollectionItem::DefineProperties(filer);
}

} // namespace vmado
