// What a background open carries from the main thread to its worker and back: the dataset's
// settings as they were when it started, and the connection and recordset the worker made.
#pragma once

#include "ado/ADOBase.h"

#include <exception>
#include <functional>
#include <memory>

namespace vmado::dataset {

struct PreparedOpen {
    bool Runnable = false; // the dataset had a connection string and a command to open
    AnsiString Connection;
    AnsiString Command;
    AnsiString Sort;
    AnsiString Filter;
    TCommandOption CommandType = coUnknown;
    TCursorType CursorType = ctOpenStatic;
    TLockType LockType = ltLockBatchOptimistic;
    TCursorLocation CursorLocation = clClient;
    Integer CacheSize = 1;
    Integer MaxRecords = 0;
    TVConnection* Shared = nullptr; // a master's connection, opened on the main thread; not owned

    std::unique_ptr<TVConnection> OwnConnection; // made and opened by the worker
    std::unique_ptr<TVRecords> Records;
    std::exception_ptr Error;

    // The worker's part: connect (unless shared), execute and fetch. observer sees the rows
    // fetched and may stop the fetch. Failures are kept in Error.
    void Run(const std::function<bool(Integer fetched)>& observer);
};

} // namespace vmado::dataset
