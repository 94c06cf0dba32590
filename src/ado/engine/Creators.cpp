// The creators of the engine's objects. Objects live in this process only, so a remote machine
// name is accepted only when it names this host.
#include "ado/ADOApi.h"

#include <cctype>

#include <unistd.h>

namespace vmado {

namespace {

bool IsThisMachine(const AnsiString& machineName)
{
    if (machineName.empty() || machineName == "." || machineName == "localhost" ||
        machineName == "127.0.0.1" || machineName == "::1")
        return true;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        return false;
    AnsiString a = machineName, b = host;
    for (auto& c : a)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (auto& c : b)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a == b;
}

void CheckMachine(const AnsiString& machineName, const char* what)
{
    if (!IsThisMachine(machineName))
        throw EOleException(AnsiString("Cannot create the ") + what + " object on machine '" + machineName +
                                "': remote creation is not available",
                            "vmado.Engine");
}

} // namespace

ConnectionPtr CoConnection::CreateRemote(const AnsiString& machineName)
{
    CheckMachine(machineName, "Connection");
    return Create();
}

RecordsetPtr CoRecordset::CreateRemote(const AnsiString& machineName)
{
    CheckMachine(machineName, "Recordset");
    return Create();
}

} // namespace vmado
