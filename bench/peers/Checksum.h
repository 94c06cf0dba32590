// What every reader of the peer table must see, in the one-line form each peer prints and the
// runner compares with the raw loop's before it prints a peer's ratio; sqlite3_peer.py prints the
// same fields in the same order.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

namespace vmado::bench {

struct PeerChecksum {
    long long Rows = 0;
    long long Ids = 0;
    long long Cents = 0; // amount in whole cents, so every reader's sum is exact
    long long Chars = 0; // characters of code, city and note (the generator writes ASCII)
    long long Days = 0;  // non-null dates
    long long Trues = 0;

    void AddAmount(double amount) { Cents += std::llround(amount * 100); }

    std::string Text() const
    {
        char buffer[200];
        std::snprintf(buffer, sizeof buffer, "rows=%lld ids=%lld cents=%lld chars=%lld days=%lld trues=%lld",
                      Rows, Ids, Cents, Chars, Days, Trues);
        return buffer;
    }
};

// The line a peer prints for the runner: the seconds its read took, then its checksum.
inline void PrintPeerResult(std::chrono::steady_clock::time_point start, const PeerChecksum& sum)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seconds=%.6f %s\n", seconds, sum.Text().c_str());
}

} // namespace vmado::bench
