// TFileStream over a POSIX descriptor. The share values are emulated with open-file-description
// byte-range locks on marker bytes far past any real data, so that "who has access" and "who
// denies it" can each be recorded and checked the way the framework's platform does.
#include "framework/classes/Streams.h"

#include "framework/classes/internal/FileNames.h"
#include "framework/rtl/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace vmado {

namespace {

// Marker bytes: holding a shared lock on one records "this opener reads/writes/denies ...".
constexpr off_t kLockBase = std::numeric_limits<off_t>::max() - 8;
enum LockByte : off_t { kAccessRead = 0, kAccessWrite = 1, kDenyRead = 2, kDenyWrite = 3 };

const char* const kSharingViolation =
    "The process cannot access the file because it is being used by another process";

bool LockMarker(int fd, off_t which)
{
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kLockBase + which;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// True when another open file description holds a marker lock on the byte.
bool MarkerHeldElsewhere(int fd, off_t which)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kLockBase + which;
    lock.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0)
        return false;
    return lock.l_type != F_UNLCK;
}

struct Sharing {
    bool read, write, denyRead, denyWrite;
};

Sharing SharingOf(Word mode)
{
    Sharing s{};
    const bool create = (mode & 0xFF00) == fmCreate;
    const Word access = create ? fmOpenReadWrite : (mode & 0x000F);
    s.read = access == fmOpenRead || access == fmOpenReadWrite;
    s.write = access == fmOpenWrite || access == fmOpenReadWrite;
    switch (mode & 0x00F0) {
    case fmShareDenyWrite:
        s.denyWrite = true;
        break;
    case fmShareDenyRead:
        s.denyRead = true;
        break;
    case fmShareDenyNone:
        break;
    default:
        s.denyRead = s.denyWrite = true;
        break; // exclusive and compatibility
    }
    return s;
}

// Records this opener's access and denials, then checks them against every other opener.
// Returns false on a sharing conflict (the caller then closes lockFd, dropping the locks).
bool AcquireSharing(int lockFd, const Sharing& s)
{
    if ((s.read && !LockMarker(lockFd, kAccessRead)) || (s.write && !LockMarker(lockFd, kAccessWrite)) ||
        (s.denyRead && !LockMarker(lockFd, kDenyRead)) || (s.denyWrite && !LockMarker(lockFd, kDenyWrite)))
        return false;
    if (s.read && MarkerHeldElsewhere(lockFd, kDenyRead))
        return false;
    if (s.write && MarkerHeldElsewhere(lockFd, kDenyWrite))
        return false;
    if (s.denyRead && MarkerHeldElsewhere(lockFd, kAccessRead))
        return false;
    if (s.denyWrite && MarkerHeldElsewhere(lockFd, kAccessWrite))
        return false;
    return true;
}

[[noreturn]] void RaiseOpenFailure(bool create, const AnsiString& fileName, const AnsiString& reason)
{
    if (create)
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
}

} // namespace

TFileStream::TFileStream(const AnsiString& fileName, Word mode) : fileName_(fileName)
{
    const bool create = (mode & 0xFF00) == fmCreate;
    const Word access = mode & 0x000F;
    if (!create && access > fmOpenReadWrite)
        RaiseOpenFailure(false, fileName, "Invalid file open mode " + std::to_string(mode));
    int flags = O_CLOEXEC;
    if (create)
        flags |= O_RDWR | O_CREAT; // truncated only after the sharing check passes
    else if (access == fmOpenWrite)
        flags |= O_WRONLY;
    else if (access == fmOpenReadWrite)
        flags |= O_RDWR;
    else
        flags |= O_RDONLY;

    const std::string osName = internal::FileNameToOs(fileName);
    fd_ = ::open(osName.c_str(), flags, 0666);
    if (fd_ < 0)
        RaiseOpenFailure(create, fileName, internal::SystemErrorText(errno));

    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        RaiseOpenFailure(create, fileName, internal::SystemErrorText(EISDIR));
    }
    // Only regular files carry the share locks; devices and pipes are shared freely. The lock
    // descriptor is opened for reading so that shared locks are allowed whatever the access mode.
    if (S_ISREG(info.st_mode)) {
        lockFd_ = ::open(osName.c_str(), O_RDONLY | O_CLOEXEC);
        if (lockFd_ >= 0 && !AcquireSharing(lockFd_, SharingOf(mode))) {
            ::close(lockFd_);
            ::close(fd_);
            lockFd_ = fd_ = -1;
            RaiseOpenFailure(create, fileName, kSharingViolation);
        }
    }
    if (create && ::ftruncate(fd_, 0) != 0) {
        const int error = errno;
        if (lockFd_ >= 0)
            ::close(lockFd_);
        ::close(fd_);
        lockFd_ = fd_ = -1;
        RaiseOpenFailure(true, fileName, internal::SystemErrorText(error));
    }
}

TFileStream::~TFileStream()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
    if (fd_ >= 0)
        ::close(fd_);
}

Int64 TFileStream::Read(void* buffer, Int64 count)
{
    Int64 total = 0;
    auto* out = static_cast<char*>(buffer);
    while (total < count) {
        const ssize_t n = ::read(fd_, out + total, static_cast<std::size_t>(count - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

Int64 TFileStream::Write(const void* buffer, Int64 count)
{
    Int64 total = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (total < count) {
        const ssize_t n = ::write(fd_, in + total, static_cast<std::size_t>(count - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

Int64 TFileStream::Seek(Int64 offset, Word origin)
{
    int whence = SEEK_SET;
    switch (origin) {
    case soFromBeginning:
        whence = SEEK_SET;
        break;
    case soFromCurrent:
        whence = SEEK_CUR;
        break;
    case soFromEnd:
        whence = SEEK_END;
        break;
    default:
        throw EStreamError("Invalid seek origin " + std::to_string(origin));
    }
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0)
        throw EStreamError("Cannot seek in file \"" + fileName_ + "\". " + internal::SystemErrorText(errno));
    return result;
}

void TFileStream::SetSize(Int64 size)
{
    if (size < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        throw EStreamError("Cannot set the size of file \"" + fileName_ + "\". " +
                           internal::SystemErrorText(size < 0 ? EINVAL : errno));
    if (Position() > size)
        Seek(size, soFromBeginning);
}

} // namespace vmado
