// The published properties of the filter classes, in their stored order: the binary component
// stream writes and reads filter collections from exactly this list.
#include "filters/VFilters.h"

#include "filters/internal/FilterRegistration.h"
#include "framework/classes/PropInfo.h"
#include "framework/graphics/Graphics.h"

namespace vmado::internal {

namespace {

void DeclareFilterClasses()
{
    ClassInfo<TVSubFilter>("TVSubFilter")
        .Parent<TCollectionItem>()
        .String("FieldName", &TVSubFilter::FieldName, &TVSubFilter::SetFieldName)
        .Enum("FilterType", &TVSubFilter::FilterType, &TVSubFilter::SetFilterType, FilterTypeNames())
        .Default(ffNone)
        .Bool("Negation", &TVSubFilter::Negation, &TVSubFilter::SetNegation)
        .Default(false)
        .Enum("Relation", &TVSubFilter::Relation, &TVSubFilter::SetRelation, RelationTypeNames())
        .Default(frNone)
        .String("LowerValue", &TVSubFilter::LowerValue, &TVSubFilter::SetLowerValue)
        .String("UpperValue", &TVSubFilter::UpperValue, &TVSubFilter::SetUpperValue)
        .Enum("LogicalOp", &TVSubFilter::LogicalOp, &TVSubFilter::SetLogicalOp, LogicalTypeNames())
        .Default(flNone);

    ClassInfo<TVSubFilters>("TVSubFilters").Parent<TCollection>();

    // The colours declare no default, so every colour is written, black included; named colours
    // travel as their names ("clRed"), as form files carry them.
    ClassInfo<TVFilter>("TVFilter")
        .Parent<TCollectionItem>()
        .String("Name", &TVFilter::Name, &TVFilter::SetName)
        .Collection("Levels", &TVFilter::Levels)
        .String("Caption", &TVFilter::Caption, &TVFilter::SetCaption)
        .Int("BackGround", &TVFilter::BackGround, &TVFilter::SetBackGround)
        .Idents(ColorIdents())
        .Int("ForeGround", &TVFilter::ForeGround, &TVFilter::SetForeGround)
        .Idents(ColorIdents())
        .String("Selected", &TVFilter::GetSelected, &TVFilter::SetSelected);

    ClassInfo<TVFilters>("TVFilters").Parent<TCollection>();
}

} // namespace

void RegisterFilterClasses()
{
    static const bool registered = (DeclareFilterClasses(), true);
    (void)registered;
}

} // namespace vmado::internal
