// The command-line tool: opens a query as a dataset and shows its records, optionally filtered
// and sorted through the dataset's recordset. Without a database it makes and opens the sample.
#include "SampleDatabase.h"
#include "TablePrinter.h"

#include "dataset/VDB.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

using namespace vmado;

namespace {

void Usage()
{
    std::cerr
        << "usage: vmado [--connect CONNECTION-STRING | --sample FILE] [--filter TEXT] [--sort TEXT] [SQL]\n"
           "  --sample FILE   create the sample database in FILE and open it (the default: "
           "./vmado-sample.db)\n"
           "  --connect CS    open any data source, e.g. \"Provider=SQLite;Data Source=db.sqlite\" or an "
           "ODBC string\n"
           "  --filter TEXT   filter, e.g. \"City = 'Budapest' OR Credit > 1000\"\n"
           "  --sort TEXT     sort, e.g. \"City ASC,Name DESC\"\n";
}

} // namespace

int main(int argc, char** argv)
{
    AnsiString connection, sample = "vmado-sample.db", filter, sort;
    AnsiString sql = "SELECT * FROM Customers";
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--connect") && hasValue)
            connection = Utf8ToAnsi(argv[++i]);
        else if (!std::strcmp(argv[i], "--sample") && hasValue)
            sample = argv[++i];
        else if (!std::strcmp(argv[i], "--filter") && hasValue)
            filter = Utf8ToAnsi(argv[++i]);
        else if (!std::strcmp(argv[i], "--sort") && hasValue)
            sort = Utf8ToAnsi(argv[++i]);
        else if (argv[i][0] == '-') {
            Usage();
            return 2;
        } else
            sql = Utf8ToAnsi(argv[i]);
    }
    try {
        if (connection.empty()) {
            app::CreateSampleDatabase(sample);
            connection = "Provider=SQLite;Data Source=" + sample;
        }
        TVADODataSet dataSet(nullptr);
        dataSet.SetConnection(connection);
        dataSet.SetCommand(sql);
        dataSet.SetReadOnly(true);
        dataSet.SetFilter(filter);
        dataSet.SetSortStr(sort);
        dataSet.Open();
        app::PrintDataSet(dataSet, std::cout);
    } catch (const EDatabaseError& e) {
        std::cerr << "vmado: " << AnsiToConsole(e.Message());
        if (!e.Context().empty())
            std::cerr << " (" << AnsiToConsole(e.Context()) << ")";
        std::cerr << '\n';
        return 1;
    } catch (const Exception& e) {
        std::cerr << "vmado: " << AnsiToConsole(e.Message()) << '\n';
        return 1;
    }
    return 0;
}
