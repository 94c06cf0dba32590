#include "dataset/ExportText.h"

#include "framework/db/Fields.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vmado {

namespace {

AnsiString ErrorText(int error)
{
    return Utf8ToAnsi(std::generic_category().message(error));
}

// Works on bytes, so the same code quotes code-page text and UTF-8.
std::string Delimited(const std::string& value, char sep)
{
    if (value.find_first_of(std::string{sep, '"', '\r', '\n'}) == std::string::npos)
        return value;
    std::string out = "\"";
    for (const char c : value) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

AnsiString OneLine(AnsiString value)
{
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return value;
}

// Counting characters, not bytes, keeps the columns straight when the code page is UTF-8; a cut
// never splits a character.
AnsiString FixedWidth(const AnsiString& value, Integer width)
{
    const Integer count = AnsiCharCount(value);
    if (count <= width)
        return value + AnsiString(static_cast<std::size_t>(width - count), ' ');
    if (!IsUtf8CodePage())
        return value.substr(0, static_cast<std::size_t>(width));
    std::size_t end = 0;
    for (Integer chars = 0; end < value.size() && chars < width; ++chars) {
        ++end;
        while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            ++end;
    }
    return value.substr(0, end);
}

template <typename Cell> std::string Joined(const std::vector<TField*>& fields, char sep, Cell cell)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += sep;
        line += Delimited(cell(*fields[i]), sep);
    }
    return line;
}

} // namespace

AnsiString ExportLine(const std::vector<TField*>& fields, TExportLayout layout)
{
    return ExportLine(fields, layout == TExportLayout::elTab ? '\t' : ',', layout == TExportLayout::elFixed);
}

AnsiString ExportLine(const std::vector<TField*>& fields, char sep, bool fixed)
{
    if (fixed) {
        AnsiString line;
        for (TField* field : fields)
            line += FixedWidth(OneLine(field->AsString()), field->DisplayWidth());
        return line;
    }
    return Joined(fields, sep, [](TField& field) { return field.AsString(); });
}

std::string Rfc4180Header(const std::vector<TField*>& fields)
{
    return Joined(fields, ',', [](TField& field) { return AnsiToUtf8(field.FieldName()); });
}

std::string Rfc4180Line(const std::vector<TField*>& fields, const std::string& nullToken)
{
    return Joined(fields, ',',
                  [&](TField& field) { return field.IsNull() ? nullToken : AnsiToUtf8(field.AsString()); });
}

TExportFile::TExportFile(const AnsiString& path) : path_(path)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        tempName_ = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        // O_EXCL: never write into a file someone else made; 0666 lets the umask decide.
        fd_ = ::open(AnsiToUtf8(tempName_).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        const int error = errno;
        throw EFCreateError("Cannot create file \"" + path + "\". " + ErrorText(error));
    }
    // The replacement keeps the permissions the old file was given.
    struct stat old {};
    if (::stat(AnsiToUtf8(path).c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd_, old.st_mode & 07777);
}

TExportFile::~TExportFile()
{
    Cancel();
}

void TExportFile::Cancel()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(AnsiToUtf8(tempName_).c_str());
}

void TExportFile::Fail(int error)
{
    Cancel();
    throw EWriteError("Cannot write file \"" + path_ + "\". " + ErrorText(error));
}

void TExportFile::Write(std::string_view bytes)
{
    if (fd_ < 0)
        throw EWriteError("Cannot write file \"" + path_ + "\". It is already closed");
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TExportFile::Commit()
{
    if (fd_ < 0)
        throw EWriteError("Cannot write file \"" + path_ + "\". It is already closed");
    if (::fsync(fd_) != 0)
        Fail(errno);
    const int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) {
        const int error = errno;
        ::unlink(AnsiToUtf8(tempName_).c_str());
        throw EWriteError("Cannot write file \"" + path_ + "\". " + ErrorText(error));
    }
    if (::rename(AnsiToUtf8(tempName_).c_str(), AnsiToUtf8(path_).c_str()) != 0) {
        const int error = errno;
        ::unlink(AnsiToUtf8(tempName_).c_str());
        throw EWriteError("Cannot write file \"" + path_ + "\". " + ErrorText(error));
    }
}

} // namespace vmado
