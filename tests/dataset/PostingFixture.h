// Shared by the posting and statement tests: a dataset descendant that posts through generated
// statements, an update object that writes its own SQL, and a table of Booleans, floats and memos.
#pragma once

#include "DataSetFixture.h"
#include "framework/rtl/DateTime.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace vmado::test {

// UpdateBySQL is protected: only a descendant can switch it on.
class SqlPostingDataSet : public TVADODataSet {
public:
    using TVADODataSet::TVADODataSet;
    void SetUpdateBySQL(bool value) { UpdateBySQL = value; }
};

// InternalAddRecord is protected: a descendant hands it a buffer holding one record line.
class AddingDataSet : public TVADODataSet {
public:
    using TVADODataSet::TVADODataSet;
    void AddLine(const AnsiString& line, bool append)
    {
        std::vector<char> buffer(static_cast<std::size_t>(BufferSize()), '\0');
        line.copy(buffer.data(), std::min<std::size_t>(line.size(), static_cast<std::size_t>(RecSize()) - 1));
        InternalAddRecord(buffer.data(), append);
    }
};

// Writes each change to people with its own statement through the dataset's InternalSQL.
class PeopleUpdateObject : public TVUpdateObject {
public:
    explicit PeopleUpdateObject(TComponent* owner = nullptr) : TVUpdateObject(owner) {}
    TVADODataSet* GetDataSet() override { return dataSet_; }
    void SetDataSet(TVADODataSet* value) override { dataSet_ = value; }
    void Apply(TUpdateKind kind) override
    {
        Kinds.push_back(kind);
        if (Refuse)
            throw EDatabaseError("refused by the update object");
        const AnsiString id = dataSet_->FieldByName("id")->AsString();
        const AnsiString name = dataSet_->FieldByName("name")->AsString();
        switch (kind) {
        case ukModify:
            dataSet_->InternalSQL("UPDATE people SET name = '" + name + "' WHERE id = " + id);
            break;
        case ukInsert:
            dataSet_->InternalSQL("INSERT INTO people (id, name) VALUES (" + id + ", '" + name + "')");
            break;
        case ukDelete:
            dataSet_->InternalSQL("DELETE FROM people WHERE id = " + id);
            break;
        }
    }
    std::vector<TUpdateKind> Kinds;
    bool Refuse = false;

private:
    TVADODataSet* dataSet_ = nullptr;
};

class PostingTest : public DataSetTest {
protected:
    bool Pg() const { return Backend().Postgres(); }

    // gadgets: id, flag BOOLEAN, price DOUBLE PRECISION, memo (long text), code VARCHAR(10) NOT NULL UNIQUE.
    void MakeGadgets()
    {
        // A long text column on each backend (SQLite's TEXT is reported as a plain string).
        Exec(
            std::string(
                "CREATE TABLE gadgets (id INTEGER PRIMARY KEY, flag BOOLEAN, price DOUBLE PRECISION, memo ") +
            (Pg() ? "TEXT" : "CLOB") + ", code VARCHAR(10) NOT NULL UNIQUE)");
        Exec("INSERT INTO gadgets VALUES (1, FALSE, 1.5, 'first memo', 'a')");
        Exec("INSERT INTO gadgets VALUES (2, TRUE, 2.25, NULL, 'b')");
    }

    // Like Open, with a descendant of the dataset class.
    template <class T> T& OpenAs(const std::string& sql)
    {
        T& result = MakeAs<T>(sql);
        result.Open();
        return result;
    }

    // An open dataset with the given lock type.
    TVADODataSet& OpenLocked(const std::string& sql, TLockType lock)
    {
        TVADODataSet& result = Make(sql);
        result.SetLockType(lock);
        result.Open();
        return result;
    }

    // An open dataset that posts through generated statements.
    SqlPostingDataSet& OpenBySQL(const std::string& sql)
    {
        SqlPostingDataSet& result = OpenAs<SqlPostingDataSet>(sql);
        result.SetUpdateBySQL(true);
        return result;
    }

    // Moves to the record whose id field holds id; fails the test when there is none.
    void GoTo(TVADODataSet& ds, Integer id)
    {
        for (ds.First(); !ds.Eof(); ds.Next())
            if (ds.FieldByName("id")->AsInteger() == id)
                return;
        ADD_FAILURE() << "no record with id " << id;
    }

    std::vector<Integer> Ids(TVADODataSet& ds)
    {
        std::vector<Integer> ids;
        for (ds.First(); !ds.Eof(); ds.Next())
            ids.push_back(ds.FieldByName("id")->AsInteger());
        return ids;
    }

    static std::string Lower(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
};

} // namespace vmado::test
