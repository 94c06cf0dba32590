// The settings file behind FileName. A file is read whole into a wrapper before anything in the
// dataset changes, and written to a temporary file beside the old one that replaces it only once
// complete and flushed, so a failed load or save leaves both the dataset and the file as they were.
#include "dataset/DataSetPrivate.h"
#include "dataset/VDB.h"

#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/Filer.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/SysUtils.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vmado {

namespace {

const char* const kWrapperClass = "TVADOWrapper";

AnsiString ErrorText(int error)
{
    return Utf8ToAnsi(std::generic_category().message(error));
}

[[noreturn]] void RaiseCorrupt(const AnsiString& path, const AnsiString& reason)
{
    throw EReadError("Settings file \"" + path + "\" cannot be read: " + reason);
}

// Reads the whole file into wrapper; raises EReadError naming the file for anything that is not
// exactly one wrapper stream.
void ReadSettings(const AnsiString& path, TVADOWrapper& wrapper)
{
    TMemoryStream content;
    content.LoadFromFile(path);
    {
        // A file of another component would read its properties into the wrapper, or fail
        // half-way with a message about a property; the class name settles it first.
        TReader header(content);
        AnsiString className;
        try {
            header.ReadSignature();
            Byte flags = 0;
            Integer childPos = 0;
            header.ReadPrefix(flags, childPos);
            className = header.ReadStr();
        } catch (const Exception& e) {
            RaiseCorrupt(path, "it is not a settings file (" + e.Message() + ")");
        }
        if (!SameText(className, kWrapperClass))
            RaiseCorrupt(path, "it holds a " + (className.empty() ? AnsiString("nameless") : className) +
                                   " component, not " + kWrapperClass);
    }
    content.SetPosition(0);
    try {
        ReadComponent(content, &wrapper);
    } catch (const Exception& e) {
        RaiseCorrupt(path, e.Message());
    }
    if (content.Position() != content.Size())
        RaiseCorrupt(path,
                     "unexpected data after the settings at byte " + std::to_string(content.Position()));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    // The error of the close itself, 0 when it succeeded or was already done.
    int Close()
    {
        if (fd_ < 0)
            return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Creates a fresh temporary file beside path; the name is returned in tempName.
int CreateTempBeside(const AnsiString& path, AnsiString& tempName)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        // O_EXCL: never reuse a file someone else made; 0666 lets the umask decide as for any file.
        const int fd = ::open(AnsiToUtf8(tempName).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

namespace dataset {

AnsiString SettingsFilePath(const AnsiString& fileName)
{
    AnsiString path = fileName;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    // A drive letter names the root file system, as elsewhere in the library; "C:name" is
    // relative to the drive's current folder and so to ours.
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        path.erase(0, 2);
    return path;
}

void ReplaceFile(const AnsiString& givenPath, const void* data, Int64 size)
{
    // A link is followed, so the file it names is replaced and the link stays.
    AnsiString path = givenPath;
    std::error_code linkError;
    if (std::filesystem::is_symlink(AnsiToPath(path), linkError)) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(AnsiToPath(path), linkError);
        if (!linkError)
            path = PathToAnsi(target);
    }
    const AnsiString dir = ExtractFileDir(path);
    if (!dir.empty() && !DirectoryExists(dir)) {
        std::error_code ec;
        std::filesystem::create_directories(AnsiToPath(dir), ec);
        if (ec || !DirectoryExists(dir))
            throw EFCreateError("Cannot create directory \"" + dir + "\". " +
                                (ec ? ErrorText(ec.value()) : AnsiString("It is not a directory")));
    }
    AnsiString tempName;
    FileDescriptor file(CreateTempBeside(path, tempName));
    if (file.Get() < 0) {
        const int error = errno;
        throw EFCreateError("Cannot create file \"" + path + "\". " + ErrorText(error));
    }
    auto fail = [&](int error) {
        file.Close();
        ::unlink(AnsiToUtf8(tempName).c_str());
        throw EWriteError("Cannot write file \"" + path + "\". " + ErrorText(error) +
                          "; nothing was replaced");
    };
    // The replacement keeps the permissions the old file was given.
    struct stat old {};
    if (::stat(AnsiToUtf8(path).c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(file.Get(), old.st_mode & 07777) != 0)
        fail(errno);
    const auto* bytes = static_cast<const char*>(data);
    Int64 written = 0;
    while (written < size) {
        const ssize_t n = ::write(file.Get(), bytes + written, static_cast<std::size_t>(size - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        written += n;
    }
    if (::fsync(file.Get()) != 0)
        fail(errno);
    if (const int error = file.Close())
        fail(error);
    if (::rename(AnsiToUtf8(tempName).c_str(), AnsiToUtf8(path).c_str()) != 0)
        fail(errno);
    // The rename itself lasts only once the folder is on disk; a failure here loses nothing.
    const int dirFd =
        ::open(AnsiToUtf8(dir.empty() ? AnsiString(".") : dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace dataset

void TVADODataSet::SetColumns(const TColumnData* value)
{
    columns_->Assign(value);
}

void TVADODataSet::InternalLoad(const AnsiString& fileName)
{
    if (fileName.empty())
        return;
    const AnsiString path = dataset::SettingsFilePath(fileName);
    if (!FileExists(path))
        return;
    TVADOWrapper loaded(nullptr);
    ReadSettings(path, loaded);

    TVADOWrapper previous(nullptr);
    previous.SetColors(colors_.get());
    previous.SetFilters(filters_.get());
    previous.SetColumns(columns_.get());
    const AnsiString previousSort = sort_;
    const AnsiString previousFilter = Filter();
    try {
        SetColors(loaded.Colors());
        SetFilters(loaded.Filters());
        SetColumns(loaded.Columns());
        SetSortStr(loaded.Sort());
        if (!loaded.Filter().empty())
            SetFilterStr(loaded.Filter());
    } catch (...) {
        colors_->Assign(previous.Colors());
        filters_->Assign(previous.Filters());
        columns_->Assign(previous.Columns());
        sort_ = previousSort;
        TDataSet::SetFilterText(previousFilter);
        throw;
    }
}

void TVADODataSet::InternalSave(const AnsiString& fileName)
{
    if (fileName.empty())
        return;
    TVADOWrapper wrapper(nullptr);
    wrapper.SetColors(colors_.get());
    wrapper.SetFilters(filters_.get());
    wrapper.SetColumns(columns_.get());
    wrapper.SetSort(sort_);
    wrapper.SetFilter(Filter());
    TMemoryStream content;
    content.WriteComponent(&wrapper);
    dataset::ReplaceFile(dataset::SettingsFilePath(fileName), content.Memory(), content.Size());
}

} // namespace vmado
