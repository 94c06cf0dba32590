// Qt's SQLite driver as a peer: a forward-only QSqlQuery over the peers' table reading every value
// as its own type, printing the seconds and checksum of one read for scripts/bench. Exits with 3
// when the driver plugin is not installed, so the runner can say why the peer was skipped.
//   bench_peer_qt FILE
#include "Checksum.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <chrono>
#include <cstdio>

namespace {

constexpr int NoDriver = 3;

int Read(const QString& file)
{
    const auto start = std::chrono::steady_clock::now();
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peer");
    db.setDatabaseName(file);
    db.setConnectOptions("QSQLITE_OPEN_READONLY");
    if (!db.open()) {
        std::fprintf(stderr, "bench_peer_qt: cannot open %s: %s\n", qPrintable(file),
                     qPrintable(db.lastError().text()));
        return 1;
    }
    vmado::bench::PeerChecksum sum;
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec("SELECT * FROM bench")) {
            std::fprintf(stderr, "bench_peer_qt: %s\n", qPrintable(query.lastError().text()));
            return 1;
        }
        while (query.next()) {
            ++sum.Rows;
            sum.Ids += query.value(0).toLongLong();
            for (int text : {1, 2, 6})
                sum.Chars += query.value(text).toString().size();
            sum.AddAmount(query.value(3).toDouble());
            sum.Days += !query.value(4).toString().isEmpty();
            sum.Trues += query.value(5).toLongLong() != 0;
        }
        if (query.lastError().isValid()) {
            std::fprintf(stderr, "bench_peer_qt: %s\n", qPrintable(query.lastError().text()));
            return 1;
        }
    }
    db.close();
    vmado::bench::PrintPeerResult(start, sum);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_peer_qt FILE\n");
        return 1;
    }
    if (!QSqlDatabase::isDriverAvailable("QSQLITE")) {
        std::fprintf(stderr,
                     "bench_peer_qt: Qt's SQLite driver plugin (libqt6sql6-sqlite) is not installed\n");
        return NoDriver;
    }
    const int status = Read(QString::fromLocal8Bit(argv[1]));
    QSqlDatabase::removeDatabase("peer");
    return status;
}
