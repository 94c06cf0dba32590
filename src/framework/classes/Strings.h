// TStrings (the abstract list of strings with attached objects, and every text form of it:
// Text, CommaText, DelimitedText, name=value pairs) and TStringList, its in-memory implementation.
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/classes/Persistent.h"

#include <functional>
#include <vector>

namespace vmado {

class TStream; // Streams.h

class TStrings : public TPersistent {
public:
    AnsiString ClassName() const override { return "TStrings"; }
    // Copies the strings and objects of another TStrings (inside one update); other sources raise.
    void Assign(const TPersistent* source) override;
    // Streams the items as the defined property "Strings" (a list of strings), written only
    // when there are items; so a published TStrings property P appears as "P.Strings".
    void DefineProperties(TFiler& filer) override;

    // --- what a concrete list implements -------------------------------------------------
    virtual Integer Count() const = 0;
    // Raise EListError "List index out of bounds (<i>)" for a bad index.
    virtual AnsiString Get(Integer index) const = 0;
    virtual void Put(Integer index, const AnsiString& s); // default: Delete, then InsertObject
    virtual TObject* GetObject(Integer index) const { return nullptr; }
    virtual void PutObject(Integer index, TObject* object) {}
    virtual void Clear() = 0;
    virtual void Delete(Integer index) = 0;
    virtual void Insert(Integer index, const AnsiString& s) = 0;

    // --- item access -----------------------------------------------------------------------
    AnsiString Strings(Integer index) const { return Get(index); }
    void SetStrings(Integer index, const AnsiString& s) { Put(index, s); }
    AnsiString operator[](Integer index) const { return Get(index); }
    TObject* Objects(Integer index) const { return GetObject(index); }
    void SetObjects(Integer index, TObject* object) { PutObject(index, object); }

    // Adds at the end (a sorted list puts it in order); returns the new index.
    virtual Integer Add(const AnsiString& s);
    virtual Integer AddObject(const AnsiString& s, TObject* object);
    void Append(const AnsiString& s) { Add(s); }
    virtual void InsertObject(Integer index, const AnsiString& s, TObject* object);
    // Appends every string and object of strings inside one update.
    virtual void AddStrings(const TStrings& strings);
    virtual void Exchange(Integer index1, Integer index2);
    // Moves the item (string and object) from curIndex to newIndex.
    virtual void Move(Integer curIndex, Integer newIndex);

    // First index whose string equals s ignoring case (CompareStrings); -1 when none.
    virtual Integer IndexOf(const AnsiString& s) const;
    Integer IndexOfObject(const TObject* object) const;
    // True when both lists hold the same strings in the same order (exact comparison).
    bool Equals(const TStrings& strings) const;

    // --- name=value pairs: the name is the text before the first separator -------------------
    // Names(i): the name of item i; empty when the item has no separator.
    AnsiString Names(Integer index) const;
    // The value after "<name>=" of the first item whose name equals name ignoring case; empty
    // when none.
    AnsiString Values(const AnsiString& name) const;
    // Replaces or adds "<name>=<value>"; an empty value deletes the item.
    void SetValues(const AnsiString& name, const AnsiString& value);
    // The text after the first separator of item i; empty when it has none.
    AnsiString ValueFromIndex(Integer index) const;
    void SetValueFromIndex(Integer index, const AnsiString& value);
    // First index whose name equals name ignoring case; -1 when none.
    virtual Integer IndexOfName(const AnsiString& name) const;
    char NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char value) { nameValueSeparator_ = value; }

    // --- whole-list texts ------------------------------------------------------------------
    // Every item followed by CR LF (so a non-empty list's text ends with a line break).
    AnsiString Text() const { return GetTextStr(); }
    // Replaces the items by the lines of value; lines end at CR, LF or CR LF, and a final line
    // break adds no empty item.
    void SetText(const AnsiString& value) { SetTextStr(value); }

    // Items joined by ","; an item that is empty or holds a blank, a control character, a comma
    // or a double quote is written in double quotes with inner quotes doubled.
    AnsiString CommaText() const;
    // Replaces the items: split at commas, and outside quotes also at blanks and control
    // characters; blanks around items are skipped; "" quotes group an item (doubled inside);
    // two commas in a row give an empty item.
    void SetCommaText(const AnsiString& value);
    // The same two with Delimiter and QuoteChar in place of "," and the double quote; with
    // StrictDelimiter only the delimiter separates items and blanks are kept.
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& value);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char value) { delimiter_ = value; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char value) { quoteChar_ = value; }
    bool StrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool value) { strictDelimiter_ = value; }

    // --- updates -----------------------------------------------------------------------------
    // Nested; SetUpdateState(true) at the outermost BeginUpdate, (false) at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    Integer UpdateCount() const { return updateCount_; }

    // --- files and streams -----------------------------------------------------------------
    // Reads the rest of stream as Text.
    virtual void LoadFromStream(TStream& stream);
    // Writes Text (CR LF line ends).
    virtual void SaveToStream(TStream& stream) const;
    // Raise EFOpenError / EFCreateError naming the file.
    virtual void LoadFromFile(const AnsiString& fileName);
    virtual void SaveToFile(const AnsiString& fileName) const;

protected:
    virtual AnsiString GetTextStr() const;
    virtual void SetTextStr(const AnsiString& value);
    virtual void SetUpdateState(bool updating) {}
    // The comparison behind IndexOf, IndexOfName and sorting: AnsiCompareText by default.
    virtual int CompareStrings(const AnsiString& s1, const AnsiString& s2) const;
    // Raises EListError with message formatted around data ("List index out of bounds (%d)").
    [[noreturn]] static void Error(const char* messageFormat, Integer data);

private:
    Integer updateCount_ = 0;
    char delimiter_ = ',';
    char quoteChar_ = '"';
    char nameValueSeparator_ = '=';
    bool strictDelimiter_ = false;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList& list, Integer index1, Integer index2)>;

class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    AnsiString ClassName() const override { return "TStringList"; }

    Integer Count() const override { return static_cast<Integer>(items_.size()); }
    AnsiString Get(Integer index) const override;
    // Item index's string in place, valid until the list changes; the list's own strings only
    // (a descendant that computes Get differently is read with Get).
    const AnsiString& Ref(Integer index) const;
    // Raises EListError "Operation not allowed on sorted list" on a sorted list.
    void Put(Integer index, const AnsiString& s) override;
    TObject* GetObject(Integer index) const override;
    void PutObject(Integer index, TObject* object) override;
    void Clear() override;
    void Delete(Integer index) override;
    // Raises EListError "Operation not allowed on sorted list" on a sorted list.
    void Insert(Integer index, const AnsiString& s) override;
    void InsertObject(Integer index, const AnsiString& s, TObject* object) override;
    // On a sorted list: the item goes to its place; an equal string is skipped (dupIgnore,
    // returning the existing index), added (dupAccept) or refused with EListError "String list
    // does not allow duplicates" (dupError).
    Integer AddObject(const AnsiString& s, TObject* object) override;
    Integer Add(const AnsiString& s) override { return AddObject(s, nullptr); }
    // Both raise EListError "Operation not allowed on sorted list" on a sorted list, which
    // would otherwise lose its order.
    void Exchange(Integer index1, Integer index2) override;
    void Move(Integer curIndex, Integer newIndex) override;
    // Binary search on a sorted list; linear otherwise.
    Integer IndexOf(const AnsiString& s) const override;

    // Binary search of a sorted list: true when found, index = its position (the first of equal
    // ones with dupAccept) or where it would go.
    virtual bool Find(const AnsiString& s, Integer& index) const;
    // Sorts with CompareStrings (stable); nothing on a list already Sorted.
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    // Case-sensitive lists compare with AnsiCompareStr; a sorted list re-sorts on a change.
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);

    // Fired before and after every change, and once around an outermost update bracket.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    void SetUpdateState(bool updating) override;
    int CompareStrings(const AnsiString& s1, const AnsiString& s2) const override;
    virtual void Changing();
    virtual void Changed();
    // Put without the copy: edit rewrites item index's string in place, keeping its capacity,
    // between the Changing and Changed a Put gives; raises as Put does.
    template <class Edit> void PutInPlace(Integer index, Edit&& edit)
    {
        CheckPut(index);
        Changing();
        edit(items_[static_cast<std::size_t>(index)].String);
        Changed();
    }

private:
    struct Item {
        AnsiString String;
        TObject* Object = nullptr; // not owned
    };
    void CheckIndex(Integer index) const;
    void CheckPut(Integer index) const; // a list that is not sorted, and an index in range
    void InsertItem(Integer index, const AnsiString& s, TObject* object);

    std::vector<Item> items_;
    TDuplicates duplicates_ = dupIgnore;
    bool sorted_ = false;
    bool caseSensitive_ = false;
};

} // namespace vmado
