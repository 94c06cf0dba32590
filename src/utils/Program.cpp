// Starting a program or opening a document without waiting for it. The started process is
// detached (double fork, own session) so the caller never has to reap it.
#include "utils/Files.h"

#include "framework/rtl/CodePage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vmado {

namespace {

// Result codes in the shell's numbering: above 32 is success.
constexpr Integer Started = 42;
constexpr Integer FileNotFound = 2;
constexpr Integer PathNotFound = 3;
constexpr Integer AccessDenied = 5;
constexpr Integer OutOfResources = 8;
constexpr Integer BadFormat = 11;
constexpr Integer NoAssociation = 31;

bool Exists(const std::string& path, struct stat& info)
{
    return ::stat(path.c_str(), &info) == 0;
}

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return Exists(path, info) && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    const std::string dirs = path;
    std::size_t from = 0;
    for (;;) {
        const std::size_t colon = dirs.find(':', from);
        std::string dir = dirs.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
        if (dir.empty())
            dir = ".";
        const std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate))
            return candidate;
        if (colon == std::string::npos)
            return {};
        from = colon + 1;
    }
}

std::string Absolute(const std::string& path)
{
    if (path.starts_with("/"))
        return path;
    std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) + "/" + path : path;
}

bool LooksLikeUrl(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    if (text.compare(colon, 3, "://") == 0)
        return true;
    return text.starts_with("mailto:");
}

// Parameters split at blanks; double quotes group a parameter with blanks in it.
std::vector<std::string> SplitParams(const std::string& params)
{
    std::vector<std::string> result;
    std::string current;
    bool quoted = false, have = false;
    for (char ch : params) {
        if (ch == '"') {
            quoted = !quoted;
            have = true;
        } else if ((ch == ' ' || ch == '\t') && !quoted) {
            if (have)
                result.push_back(current);
            current.clear();
            have = false;
        } else {
            current += ch;
            have = true;
        }
    }
    if (have)
        result.push_back(current);
    return result;
}

struct ChildFailure {
    int Stage; // 0: fork, 1: change directory, 2: exec
    int Error;
};

Integer ResultFor(const ChildFailure& failure)
{
    if (failure.Stage == 1)
        return PathNotFound;
    switch (failure.Error) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EACCES:
    case EPERM:
        return AccessDenied;
    case ENOEXEC:
        return BadFormat;
    default:
        return OutOfResources;
    }
}

// Runs argv[0] with argv in dir. Returns once the program has been executed (or failed to be):
// the exec closes the pipe's write end, a failure writes its reason into it.
Integer Launch(const std::vector<std::string>& args, const std::string& dir)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return OutOfResources;
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return OutOfResources;
    }
    if (middle == 0) {
        // Only async-signal-safe calls from here to the exec.
        ::close(fds[0]);
        const pid_t child = ::fork();
        if (child < 0) {
            const ChildFailure failure{0, errno};
            (void)!::write(fds[1], &failure, sizeof failure);
            ::_exit(1);
        }
        if (child == 0) {
            ::setsid();
            if (!dir.empty() && ::chdir(dir.c_str()) != 0) {
                const ChildFailure failure{1, errno};
                (void)!::write(fds[1], &failure, sizeof failure);
                ::_exit(127);
            }
            ::execv(argv[0], argv.data());
            const ChildFailure failure{2, errno};
            (void)!::write(fds[1], &failure, sizeof failure);
            ::_exit(127);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    ChildFailure failure{};
    ssize_t got;
    do {
        got = ::read(fds[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(fds[0]);
    if (got == 0)
        return Started;
    if (got != static_cast<ssize_t>(sizeof failure))
        return OutOfResources;
    return ResultFor(failure);
}

} // namespace

Integer ExecuteProgram(const AnsiString& FileName, const AnsiString& Params, const AnsiString& Dir,
                       TWindowState /*State*/)
{
    if (FileName.empty())
        return FileNotFound;
    const std::string file = AnsiToUtf8(FileName);
    const std::string dir = AnsiToUtf8(Dir);
    struct stat info {};
    if (!dir.empty() && (!Exists(dir, info) || !S_ISDIR(info.st_mode)))
        return PathNotFound;

    std::string target; // the file to run or open, as an absolute path
    if (LooksLikeUrl(file)) {
        target = file;
    } else {
        // A relative name is looked for in Dir first, then in the current directory.
        if (!file.starts_with("/") && !dir.empty() && Exists(Absolute(dir) + "/" + file, info))
            target = Absolute(dir) + "/" + file;
        else if (Exists(file, info))
            target = Absolute(file);
        else if (file.find('/') == std::string::npos)
            target = FindOnPath(file);
        if (target.empty())
            return FileNotFound;
    }

    std::vector<std::string> args;
    if (!LooksLikeUrl(target) && IsExecutableFile(target)) {
        args.push_back(target);
        for (std::string& param : SplitParams(AnsiToUtf8(Params)))
            args.push_back(std::move(param));
    } else {
        // Documents, folders and addresses go to the desktop's default application, which takes
        // no further parameters.
        const std::string opener = FindOnPath("xdg-open");
        if (opener.empty())
            return NoAssociation;
        args = {opener, target};
    }
    return Launch(args, dir);
}

} // namespace vmado
