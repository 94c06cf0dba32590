// TStream's shared operations and the memory and string streams. Every position stays within
// [0, Size] for memory streams; reads past the end return fewer bytes, never garbage.
#include "framework/classes/Streams.h"

#include "framework/rtl/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vmado {

Int64 TStream::Size()
{
    const Int64 position = Seek(0, soFromCurrent);
    const Int64 size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::SetSize(Int64 /*size*/)
{
    throw EStreamError("Stream does not support changing its size");
}

void TStream::ReadBuffer(void* buffer, Int64 count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& source, Int64 count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError("Stream read error");
    constexpr Int64 chunk = 64 * 1024;
    std::vector<char> buffer(static_cast<std::size_t>(std::min(count, chunk)));
    Int64 left = count;
    while (left > 0) {
        const Int64 n = std::min(left, chunk);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

Int64 TMemoryStream::Read(void* buffer, Int64 count)
{
    const Int64 size = Size();
    if (count <= 0 || position_ >= size)
        return 0;
    const Int64 n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count)
{
    if (count <= 0)
        return 0;
    const Int64 end = position_ + count;
    if (end > Size())
        data_.resize(static_cast<std::size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

Int64 TMemoryStream::Seek(Int64 offset, Word origin)
{
    Int64 base = 0;
    switch (origin) {
    case soFromBeginning:
        base = 0;
        break;
    case soFromCurrent:
        base = position_;
        break;
    case soFromEnd:
        base = Size();
        break;
    default:
        throw EStreamError("Invalid seek origin " + std::to_string(origin));
    }
    const Int64 target = base + offset;
    if (target < 0)
        throw EStreamError("Seek before the start of the stream");
    // Seeking past the end is allowed (a later write fills the gap with zeros), as in files.
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(Int64 size)
{
    if (size < 0)
        throw EStreamError("Invalid stream size " + std::to_string(size));
    data_.resize(static_cast<std::size_t>(size));
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear()
{
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const Int64 size = stream.Size();
    std::string data(static_cast<std::size_t>(size), '\0');
    stream.ReadBuffer(data.data(), size);
    data_ = std::move(data);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& stream)
{
    stream.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

TStringStream::TStringStream(const AnsiString& text)
{
    data_ = text;
}

AnsiString TStringStream::ReadString(Int64 count)
{
    const Int64 available = std::max<Int64>(0, Size() - position_);
    const Int64 n = std::clamp<Int64>(count, 0, available);
    AnsiString result = data_.substr(static_cast<std::size_t>(position_), static_cast<std::size_t>(n));
    position_ += n;
    return result;
}

void TStringStream::WriteString(const AnsiString& text)
{
    Write(text.data(), static_cast<Int64>(text.size()));
}

} // namespace vmado
