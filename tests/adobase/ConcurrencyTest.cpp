// Background opens share one open connection: several threads each open their own recordset
// on it and render every record, as dependent datasets opened on worker threads do.
#include "AdoBaseFixture.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace vmado::test {
namespace {

using SharedConnection = WrapperTest;

TEST_F(SharedConnection, RecordsetsOpenOnSeveralThreadsAtOnce)
{
    Exec("INSERT INTO people (id, name, city, qty) WITH RECURSIVE n(i) AS (SELECT 5 UNION ALL SELECT i + 1 "
         "FROM n"
         " WHERE i < 2000) SELECT i, 'name ' || i, 'c,' || i, i FROM n");
    auto c = OpenConnection();
    std::atomic<int> lines{0};
    std::atomic<int> failures{0};
    std::mutex errorMutex;
    std::string firstError;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            try {
                TVRecords r(c.get());
                r.Source = "SELECT id, name, city FROM people WHERE id % 4 = " + std::to_string(t);
                r.Open();
                TFields fields(nullptr);
                for (const char* n : {"id", "name", "city"}) {
                    auto* f = new TStringField(nullptr);
                    f->SetFieldName(n);
                    fields.Add(f);
                }
                std::vector<char> buffer(static_cast<size_t>(r.CalcRecSize(fields)));
                for (r.Next(); !r.GetEof(); r.Next()) {
                    r.LoadRecord(buffer.data(), false);
                    TStringList entries;
                    entries.SetCommaText(buffer.data());
                    if (entries.Count() != 3 || std::stoi(entries.Strings(0)) % 4 != t)
                        ++failures;
                    ++lines;
                }
            } catch (const std::exception& e) {
                ++failures;
                std::lock_guard<std::mutex> lock(errorMutex);
                if (firstError.empty())
                    firstError = e.what();
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0) << firstError;
    EXPECT_EQ(lines.load(), 2000);
}

} // namespace
} // namespace vmado::test
