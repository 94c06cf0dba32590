// One connection shared by several threads: calls are serialised, so concurrent opens and
// executes all succeed and see consistent data.
#include "BackendContext.h"

#include <atomic>
#include <thread>

namespace vmado::test {

namespace {

class BACKEND_SUITE(ConcurrencyTest) : public EngineTest {};

TEST_F(BACKEND_SUITE(ConcurrencyTest), BackgroundOpensShareOneConnection)
{
    std::atomic<int> failures{0};
    std::atomic<int> rows{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            try {
                for (int k = 0; k < 10; ++k) {
                    auto rs = CoRecordset::Create();
                    rs->Open("SELECT id, name FROM tall WHERE id > " + std::to_string(t), conn, adOpenStatic,
                             adLockReadOnly, adCmdText);
                    rows += rs->RecordCount();
                    conn->Execute("UPDATE tall SET name = name WHERE id = " + std::to_string(t + 1),
                                  adCmdText);
                }
            } catch (...) {
                ++failures;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(rows.load(), 10 * (50 + 49 + 48 + 47));
}

} // namespace

} // namespace vmado::test
