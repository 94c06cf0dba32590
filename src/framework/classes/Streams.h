// Byte streams: the abstract TStream and its file, memory and string forms. Positions and sizes
// are 64-bit; a stream never reads or writes past what its Read/Write report.
#pragma once

#include "framework/rtl/Types.h"

#include <string>

namespace vmado {

class TComponent;

// Seek origins (the framework's numbering).
enum : Word { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// TFileStream modes: one access value or'ed with one share value. fmCreate creates or
// truncates the file and opens it for reading and writing; it may be combined with a share value.
enum : Word {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000, // behaves as fmShareExclusive, as on the framework's platform
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads up to count bytes; returns how many were read (0 at the end). count < 0 reads nothing.
    virtual Int64 Read(void* buffer, Int64 count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual Int64 Write(const void* buffer, Int64 count) = 0;
    // Moves the position; returns the new position. Raises EStreamError for a bad origin or
    // a position before the start.
    virtual Int64 Seek(Int64 offset, Word origin) = 0;

    Int64 Position() { return Seek(0, soFromCurrent); }
    void SetPosition(Int64 position) { Seek(position, soFromBeginning); }
    virtual Int64 Size();
    // Changes the size; the base raises EStreamError (a stream that cannot be resized).
    virtual void SetSize(Int64 size);

    // Read or write exactly count bytes, else EReadError "Stream read error" /
    // EWriteError "Stream write error".
    void ReadBuffer(void* buffer, Int64 count);
    void WriteBuffer(const void* buffer, Int64 count);
    // Copies count bytes from source's current position; count 0 copies the whole source from
    // its start. Returns the number of bytes copied; raises as ReadBuffer/WriteBuffer.
    Int64 CopyFrom(TStream& source, Int64 count);

    // The framework's binary component stream ("TPF0"). ReadComponent reads into instance, or
    // creates the component from its registered class when instance is null (the caller owns it).
    void WriteComponent(TComponent* instance);
    TComponent* ReadComponent(TComponent* instance);
};

// A file opened through the operating system. The share values are kept with advisory
// byte-range locks (open-file-description locks), so they bind every TFileStream of any
// process but not programs that ignore them. Raises EFOpenError "Cannot open file "<name>".
// <reason>" or, for fmCreate, EFCreateError "Cannot create file "<name>". <reason>".
// The name is in the ANSI code page and is converted to UTF-8 for the operating system.
class TFileStream : public TStream {
public:
    TFileStream(const AnsiString& fileName, Word mode);
    ~TFileStream() override;

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, Word origin) override;
    void SetSize(Int64 size) override;

    const AnsiString& FileName() const { return fileName_; }
    int Handle() const { return fd_; }

private:
    AnsiString fileName_;
    int fd_ = -1;
    int lockFd_ = -1; // carries the share-mode locks; -1 when the file cannot carry them
};

// Bytes in memory. Memory() stays valid until the next size change.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, Word origin) override;
    Int64 Size() override { return static_cast<Int64>(data_.size()); }
    void SetSize(Int64 size) override; // new bytes are zero; the position is clamped to the size

    void* Memory() { return data_.data(); }
    const void* Memory() const { return data_.data(); }
    void Clear();
    // Replace the contents with the whole of the stream / file; the position becomes 0.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const AnsiString& fileName);
    // Write the whole contents, whatever the position.
    void SaveToStream(TStream& stream);
    void SaveToFile(const AnsiString& fileName);

protected:
    std::string data_;
    Int64 position_ = 0;
};

// A memory stream over an 8-bit string.
class TStringStream : public TMemoryStream {
public:
    explicit TStringStream(const AnsiString& text = {});

    const AnsiString& DataString() const { return data_; }
    // Reads up to count bytes from the position.
    AnsiString ReadString(Int64 count);
    // Writes text at the position.
    void WriteString(const AnsiString& text);
};

} // namespace vmado
