// The backend a behaviour test runs on: how to reach a fresh database and the quirk hooks for
// what differs between backends (DDL spellings, what a type reads back as).
#pragma once

#include "ado/ADOApi.h"

#include <gtest/gtest.h>

#include <string>

// Each build of the behaviour tests names its suites after its backend (CursorTestSqlite,
// CursorTestPostgres, ...), so CTest keeps the three builds' tests and labels apart.
#define VMADO_SUITE_CAT2(a, b) a##b
#define VMADO_SUITE_CAT(a, b) VMADO_SUITE_CAT2(a, b)
#define BACKEND_SUITE(name) VMADO_SUITE_CAT(name, VMADO_BACKEND)

namespace vmado::test {

class BackendContext {
public:
    virtual ~BackendContext() = default;
    virtual std::string Name() const = 0;
    // Non-empty: the backend is not available here; the tests skip with this reason (or fail
    // when the environment demands the backend).
    virtual std::string Unavailable() const { return {}; }
    virtual bool Required() const { return false; }
    // A connection string to an empty database reserved for one test.
    virtual AnsiString ConnectionString() = 0;
    // Options added to a connection string so that the driver, too, fetches a streaming
    // cursor's rows in small blocks; empty where there is nothing to tell it.
    virtual AnsiString StreamingOptions() const { return {}; }

    // DDL spellings.
    virtual AnsiString AutoKey() const = 0; // an auto-generated integer primary key column type
    virtual AnsiString BooleanType() const { return "BOOLEAN"; }
    virtual AnsiString TimestampType() const { return "TIMESTAMP"; }
    virtual AnsiString BlobType() const { return "BLOB"; }
    virtual AnsiString DoubleType() const { return "DOUBLE PRECISION"; }
    // An expression repeating the text literal count times.
    virtual AnsiString RepeatText(const AnsiString& text, const AnsiString& count) const
    {
        return "REPLACE(HEX(ZEROBLOB(" + count + ")), '00', " + text + ")";
    }

    // What reads back.
    virtual bool TextSizeFromData() const { return false; } // TEXT without length: longest value
    virtual DataTypeEnum TextType() const { return adVarChar; }
    virtual DataTypeEnum IntegerAdoType() const { return adInteger; } // a column declared INTEGER
    virtual DataTypeEnum DateType() const { return adDBDate; }
    virtual DataTypeEnum TimestampAdoType() const { return adDBTimeStamp; }
    virtual DataTypeEnum BlobAdoType() const { return adLongVarBinary; }
    virtual DataTypeEnum NumericAdoType() const { return adNumeric; }
    virtual bool EmbeddedSqlite() const { return false; }
    virtual bool Postgres() const { return false; } // PostgreSQL's SQL, through whichever provider
    // The schema the test's tables live in, as an OpenSchema restriction (Null when one database
    // holds nothing else).
    virtual Variant SchemaRestriction() const { return Variant::Null(); }
};

BackendContext& Backend(); // one per test executable

// Opens a connection on a fresh database, or skips the test.
ConnectionPtr OpenFresh();

#define VMADO_REQUIRE_BACKEND()                                                                              \
    do {                                                                                                     \
        const std::string reason = ::vmado::test::Backend().Unavailable();                                   \
        if (!reason.empty()) {                                                                               \
            if (::vmado::test::Backend().Required())                                                         \
                FAIL() << "backend " << ::vmado::test::Backend().Name() << " required: " << reason;          \
            GTEST_SKIP() << reason;                                                                          \
        }                                                                                                    \
    } while (0)

// Fixture: a fresh database with the two canonical tables.
//  tall(id auto key, name VARCHAR(40))                      - 50 rows, name "name-01".."name-50"
//  wide(id INTEGER PRIMARY KEY, i INTEGER, d double, b boolean, dt DATE, ts timestamp,
//       s VARCHAR(30), t TEXT, bl blob, n NUMERIC(10,2))     - 3 rows
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Exec(const AnsiString& sql);
    Variant Scalar(const AnsiString& sql); // first field of the first row
    RecordsetPtr OpenRs(const AnsiString& sql, LockTypeEnum lock = adLockOptimistic);

    ConnectionPtr conn;
};

} // namespace vmado::test
