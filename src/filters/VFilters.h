// The filter model: named chains of condition lines, their SQL and ADO filter texts, and their
// evaluation against a dataset's current record. Collections own their items; the published
// properties below are a stored format (settings and form files).
#pragma once

#include "framework/classes/Collection.h"
#include "framework/rtl/Types.h"

#include <memory>
#include <vector>

namespace vmado {

class TComponent;
class TDataSet;
class TField;
class TStrings;

// ---- Vocabulary ---------------------------------------------------------------------------------
// Ordinals count from 0 in declaration order; the value names are what the streams carry.

enum TFilterType : int { ffNone, ffString, ffNumeric, ffDate, ffLogical, ffCustom, ffMarker };

enum TRelationType : int {
    frNone,
    frEqual,
    frNotEqual,
    frBigger,
    frBiggerEqual,
    frSmaller,
    frSmallerEqual,
    frJokerRight,
    frJokerLeft,
    frJokerSub,
    frSpecEqual,
    frEmpty
};

// Each line carries the operator that joins it to the NEXT line; flEnd closes the chain and
// flNone marks a line outside it.
enum TLogicalType : int { flNone, flEnd, flAnd, flAndNot, flOr, flOrNot };

enum TFilterMode : int { fmSQL, fmADO };

// The stored value names, indexed by ordinal ("ffNone", "frEqual", ...).
const std::vector<AnsiString>& FilterTypeNames();
const std::vector<AnsiString>& RelationTypeNames();
const std::vector<AnsiString>& LogicalTypeNames();
const std::vector<AnsiString>& FilterModeNames();

// ---- Condition line -----------------------------------------------------------------------------

class TVSubFilter : public TCollectionItem {
public:
    explicit TVSubFilter(TCollection* collection);

    void Clear();
    void Assign(const TPersistent* source) override; // another TVSubFilter, else the inherited error
    AnsiString ClassName() const override { return "TVSubFilter"; }

    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& value);
    TFilterType FilterType() const { return filterType_; }
    void SetFilterType(TFilterType value);
    bool Negation() const { return negation_; }
    void SetNegation(bool value);
    TRelationType Relation() const { return relation_; }
    void SetRelation(TRelationType value);
    // The values never hold "%" or "_": the setters delete them (wildcards live in Relation).
    const AnsiString& LowerValue() const { return lowerValue_; }
    void SetLowerValue(const AnsiString& value);
    const AnsiString& UpperValue() const { return upperValue_; }
    void SetUpperValue(const AnsiString& value);
    TLogicalType LogicalOp() const { return logicalOp_; }
    void SetLogicalOp(TLogicalType value);

private:
    AnsiString fieldName_;
    TFilterType filterType_ = ffNone;
    bool negation_ = false;
    TRelationType relation_ = frNone;
    AnsiString lowerValue_;
    AnsiString upperValue_;
    TLogicalType logicalOp_ = flNone;
};

// ---- The lines of one filter ------------------------------------------------------------------

class TVSubFilters : public TCollection {
public:
    explicit TVSubFilters(TPersistent* owner);

    TPersistent* GetOwner() const override { return owner_; }
    AnsiString ClassName() const override { return "TVSubFilters"; }

    // Raise EListError out of range; SetItem copies the line.
    TVSubFilter* GetItem(Integer index) const;
    void SetItem(Integer index, const TVSubFilter* value);

    void Assign(const TPersistent* source) override;

    TVSubFilter* Add();                        // a new empty line at the end
    TVSubFilter* Add(const TVSubFilter* line); // a new line copied from line
    // Frees line (when it is one of these lines), then ends the chain at the new last line
    // when that line names a field.
    void Delete(TVSubFilter* line);
    void Delete(Integer index); // out of range does nothing
    void Delete();              // the last line

private:
    TPersistent* owner_;
};

// ---- One filter or colour rule ----------------------------------------------------------------

class TVFilter : public TCollectionItem {
public:
    explicit TVFilter(TCollection* collection);
    ~TVFilter() override;

    void Clear();                                    // keeps Name
    void Assign(const TPersistent* source) override; // copies everything but Name
    AnsiString ClassName() const override { return "TVFilter"; }
    AnsiString DisplayName() const override { return GetDisplayName(); }
    AnsiString GetDisplayName() const; // Name, or the inherited display name when unnamed

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& value);
    TVSubFilters* Levels() const { return levels_.get(); } // owned
    const AnsiString& Caption() const { return caption_; }
    void SetCaption(const AnsiString& value); // also names an unnamed filter
    TColor BackGround() const { return backGround_; }
    void SetBackGround(TColor value);
    TColor ForeGround() const { return foreGround_; }
    void SetForeGround(TColor value);
    // "<all>" or field names separated by ","; never empty when read.
    AnsiString GetSelected() const;
    void SetSelected(const AnsiString& value);

    // Operators of the chain up to its terminator (flEnd or flNone line).
    Integer CountOR() const;
    Integer CountAND() const;

    // The condition text of one line. In fmADO mode an frJokerLeft string line becomes, and
    // stays, frJokerSub. Raises EConvertError for a numeric or date range that does not parse.
    AnsiString FltToSQL(TVSubFilter* line, TFilterMode mode, bool upper);
    // The chain's text, untrimmed; a chain cut by a flNone line ends with its joiner.
    AnsiString SQLText(TFilterMode mode, bool upper);

private:
    AnsiString name_;
    std::unique_ptr<TVSubFilters> levels_;
    AnsiString caption_;
    TColor backGround_ = 0;
    TColor foreGround_ = 0;
    AnsiString selected_;
};

// ---- The filters of a dataset or editor ---------------------------------------------------------

class TVFilters : public TCollection {
public:
    explicit TVFilters(TComponent* owner);

    TPersistent* GetOwner() const override;
    AnsiString ClassName() const override { return "TVFilters"; }

    TVFilter* GetItem(Integer index) const; // raises EListError out of range
    void SetItem(Integer index, const TVFilter* value);

    void Assign(const TPersistent* source) override; // keeps every filter's Name

    TVFilter* Add(); // named "Level" + the new Count
    // A new filter holding a copy of the argument; null copies nothing. The new filter keeps its
    // own Level name.
    TVFilter* Add(const TVSubFilter* line);
    TVFilter* Add(const TVSubFilters* lines);
    TVFilter* Add(const TVFilter* filter);
    void Delete(TVFilter* filter);
    void Delete(Integer index);
    void Delete();
    void Delete(const AnsiString& name);
    void DeleteLevel(const AnsiString& name, Integer index);
    void ClearLevel(Integer index);
    void ClearLevel(const AnsiString& name);

    // The first filter whose Name, else whose Caption, equals key ignoring case; none for "".
    TVFilter* FindItem(const AnsiString& key) const;
    TVFilter* GetLastItem() const;
    void SetLastItem(const TVFilter* filter);
    AnsiString GetCaptions(Integer index) const;
    void SetCaptions(Integer index, const AnsiString& value);
    void SetMenuItems(TStrings* strings) const; // captions in collection order

    // Whether filter index holds for the dataset's current record; false without a dataset or
    // for an index out of range. Field and conversion errors propagate.
    bool Evaluate(Integer index, TDataSet* dataSet) const;
    bool EvalOne(const TVSubFilter* line, TDataSet* dataSet) const;

    AnsiString SQLText(Integer index, TFilterMode mode, bool upper); // "" out of range
    AnsiString SQLText(TFilterMode mode, bool upper);                // joined by " AND "

private:
    TComponent* owner_;
};

// ---- Free functions ---------------------------------------------------------------------------

TFilterType FieldToFilterType(const TField* field);     // ffNone for no field
AnsiString RelationToString(TRelationType relation);    // two characters; "" for frEmpty
TRelationType StringToRelation(const AnsiString& text); // exact; anything else frNone
AnsiString LogicalToString(TLogicalType logical);
TLogicalType StringToLogical(const AnsiString& text);
TRelationType RelationNegation(TRelationType relation);
TLogicalType LogicalNegation(TLogicalType logical);
void RelationStrings(TStrings* strings, TFilterType filterType);
void RelationStrings(TStrings* strings, const TField* field);
void LogicalOpStrings(TStrings* strings);
// The relation a typed value means: "%" and "_" are the wildcards, a non-empty upper is a range.
TRelationType AnalyseRelation(const AnsiString& lower, const AnsiString& upper);

} // namespace vmado
