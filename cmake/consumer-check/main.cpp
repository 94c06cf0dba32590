// Uses the installed package the way an application would: the engine, the utilities and the
// framework, so a missing library or dependency in the package config fails to link or run.
#include "ado/ADOApi.h"
#include "framework/rtl/SysUtils.h"
#include "utils/VUtils.h"

#include <cstdio>

int main()
{
    using namespace vmado;
    auto conn = CoConnection::Create();
    conn->Open("Provider=SQLite;Data Source=:memory:");
    auto rs = conn->Execute("SELECT 40 + 2 AS answer");
    const Integer answer = rs->Fields()->Item("answer")->Value().AsInteger();
    const AnsiString dsn = GetADOPart("Provider=SQLite;Data Source=x.db", "Data Source");
    std::printf("vmado package found and linked: answer %s, data source %s\n", IntToStr(answer).c_str(),
                dsn.c_str());
    return answer == 42 && dsn == "x.db" ? 0 : 1;
}
