// Value-level reading and writing of the binary component stream, and the DefineProperties
// hooks. The reader buffers ahead; every byte it hands out was really in the stream.
#include "framework/classes/Filer.h"
#include "framework/rtl/SysUtils.h"

#include "framework/classes/internal/Extended.h"
#include "framework/classes/internal/FilerPrivate.h"
#include "framework/rtl/CodePage.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vmado {

namespace {

constexpr std::size_t kBufferSize = 4096;
constexpr int kMaxDepth = 200; // nested lists, collections and objects a stream may hold

template <class U> U FromLittleEndian(const unsigned char* p)
{
    U v = 0;
    for (std::size_t i = 0; i < sizeof(U); ++i)
        v |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
    return v;
}

template <class U> void ToLittleEndian(U v, unsigned char* p)
{
    for (std::size_t i = 0; i < sizeof(U); ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace

namespace internal {

std::u16string AnsiToUtf16(std::string_view ansi)
{
    return Utf32ToUtf16(AnsiToUtf32(ansi));
}

} // namespace internal

// ---- TWriter -----------------------------------------------------------------------------------

TWriter::TWriter(TStream& stream) : TFiler(stream)
{
    buffer_.reserve(kBufferSize);
}

TWriter::~TWriter()
{
    try {
        FlushBuffer();
    } catch (...) {
        // A destructor cannot report; callers that care flush explicitly first.
    }
}

void TWriter::FlushBuffer()
{
    if (buffer_.empty())
        return;
    std::vector<char> pending;
    pending.swap(buffer_);
    buffer_.reserve(kBufferSize);
    stream_.WriteBuffer(pending.data(), static_cast<Int64>(pending.size()));
}

void TWriter::Write(const void* data, Int64 count)
{
    if (count <= 0)
        return;
    const auto* p = static_cast<const char*>(data);
    buffer_.insert(buffer_.end(), p, p + count);
    if (buffer_.size() >= kBufferSize)
        FlushBuffer();
}

void TWriter::WriteValue(TValueType value)
{
    const Byte b = value;
    Write(&b, 1);
}

void TWriter::WriteStr(std::string_view value)
{
    if (value.size() > 255)
        throw EWriteError("Name too long for the component stream: " + AnsiString(value.substr(0, 40)) +
                          "...");
    const Byte length = static_cast<Byte>(value.size());
    Write(&length, 1);
    Write(value.data(), static_cast<Int64>(value.size()));
}

void TWriter::WriteInteger(Int64 value)
{
    unsigned char bytes[8];
    if (value >= -128 && value <= 127) {
        WriteValue(vaInt8);
        bytes[0] = static_cast<unsigned char>(static_cast<std::int8_t>(value));
        Write(bytes, 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(vaInt16);
        ToLittleEndian(static_cast<std::uint16_t>(value), bytes);
        Write(bytes, 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(vaInt32);
        ToLittleEndian(static_cast<std::uint32_t>(value), bytes);
        Write(bytes, 4);
    } else {
        WriteValue(vaInt64);
        ToLittleEndian(static_cast<std::uint64_t>(value), bytes);
        Write(bytes, 8);
    }
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? vaTrue : vaFalse);
}

void TWriter::WriteChar(char value)
{
    WriteString(std::string_view(&value, 1));
}

void TWriter::WriteString(std::string_view value)
{
    if (value.size() <= 255) {
        WriteValue(vaString);
        const Byte length = static_cast<Byte>(value.size());
        Write(&length, 1);
    } else {
        if (value.size() > static_cast<std::size_t>(INT32_MAX))
            throw EWriteError("String too long for the component stream");
        WriteValue(vaLString);
        unsigned char bytes[4];
        ToLittleEndian(static_cast<std::uint32_t>(value.size()), bytes);
        Write(bytes, 4);
    }
    Write(value.data(), static_cast<Int64>(value.size()));
}

void TWriter::WriteWideString(std::u16string_view value)
{
    if (value.size() > static_cast<std::size_t>(INT32_MAX / 2))
        throw EWriteError("String too long for the component stream");
    WriteValue(vaWString);
    unsigned char bytes[4];
    ToLittleEndian(static_cast<std::uint32_t>(value.size()), bytes);
    Write(bytes, 4);
    for (char16_t c : value) {
        ToLittleEndian(static_cast<std::uint16_t>(c), bytes);
        Write(bytes, 2);
    }
}

void TWriter::WriteUTF8String(std::string_view utf8)
{
    if (utf8.size() > static_cast<std::size_t>(INT32_MAX))
        throw EWriteError("String too long for the component stream");
    WriteValue(vaUTF8String);
    unsigned char bytes[4];
    ToLittleEndian(static_cast<std::uint32_t>(utf8.size()), bytes);
    Write(bytes, 4);
    Write(utf8.data(), static_cast<Int64>(utf8.size()));
}

void TWriter::WriteIdent(std::string_view ident)
{
    if (SameText(ident, "False"))
        WriteValue(vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(vaTrue);
    else if (SameText(ident, "Null"))
        WriteValue(vaNull);
    else if (SameText(ident, "nil"))
        WriteValue(vaNil);
    else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteFloat(double value)
{
    WriteValue(vaExtended);
    const internal::ExtendedBytes bytes = internal::DoubleToExtended(value);
    Write(bytes.data(), 10);
}

void TWriter::WriteSingle(float value)
{
    WriteValue(vaSingle);
    unsigned char bytes[4];
    ToLittleEndian(std::bit_cast<std::uint32_t>(value), bytes);
    Write(bytes, 4);
}

void TWriter::WriteCurrency(Currency value)
{
    WriteValue(vaCurrency);
    unsigned char bytes[8];
    ToLittleEndian(static_cast<std::uint64_t>(value.Raw), bytes);
    Write(bytes, 8);
}

void TWriter::WriteDate(TDateTime value)
{
    WriteValue(vaDate);
    unsigned char bytes[8];
    ToLittleEndian(std::bit_cast<std::uint64_t>(value), bytes);
    Write(bytes, 8);
}

void TWriter::WriteBinary(const void* data, Int64 size)
{
    if (size < 0 || size > INT32_MAX)
        throw EWriteError("Binary property too large for the component stream");
    WriteValue(vaBinary);
    unsigned char bytes[4];
    ToLittleEndian(static_cast<std::uint32_t>(size), bytes);
    Write(bytes, 4);
    Write(data, size);
}

void TWriter::WritePropName(std::string_view name)
{
    WriteStr(propPath_ + AnsiString(name));
}

void TWriter::WritePrefix(Byte flags, Integer childPos)
{
    if (flags == 0)
        return;
    const Byte prefix = static_cast<Byte>(0xF0 | (flags & 0x0F));
    Write(&prefix, 1);
    if (flags & ffChildPos)
        WriteInteger(childPos);
}

void TWriter::WriteSignature()
{
    Write("TPF0", 4);
}

void TWriter::DefineProperty(const AnsiString& name, ReaderProc, WriterProc writeData, bool hasData)
{
    if (!hasData || !writeData)
        return;
    WritePropName(name);
    writeData(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& name, StreamProc, StreamProc writeData, bool hasData)
{
    if (!hasData || !writeData)
        return;
    TMemoryStream data;
    writeData(data);
    WritePropName(name);
    WriteBinary(data.Memory(), data.Size());
}

// ---- TReader -----------------------------------------------------------------------------------

TReader::TReader(TStream& stream) : TFiler(stream), buffer_(kBufferSize) {}

TReader::~TReader()
{
    // Hand back what was read ahead, so the stream stands right after the consumed data.
    const auto unread = static_cast<Int64>(bufEnd_ - bufPos_);
    if (unread > 0) {
        try {
            stream_.Seek(-unread, soFromCurrent);
        } catch (...) {
        }
    }
}

Byte TReader::ReadByte()
{
    if (bufPos_ == bufEnd_) {
        bufPos_ = 0;
        bufEnd_ = static_cast<std::size_t>(stream_.Read(buffer_.data(), static_cast<Int64>(buffer_.size())));
        if (bufEnd_ == 0)
            throw EReadError("Stream read error");
    }
    return static_cast<Byte>(buffer_[bufPos_++]);
}

void TReader::Read(void* data, Int64 count)
{
    auto* out = static_cast<char*>(data);
    while (count > 0) {
        if (bufPos_ == bufEnd_) {
            bufPos_ = 0;
            bufEnd_ =
                static_cast<std::size_t>(stream_.Read(buffer_.data(), static_cast<Int64>(buffer_.size())));
            if (bufEnd_ == 0)
                throw EReadError("Stream read error");
        }
        const std::size_t n = std::min<std::size_t>(bufEnd_ - bufPos_, static_cast<std::size_t>(count));
        std::memcpy(out, buffer_.data() + bufPos_, n);
        bufPos_ += n;
        out += n;
        count -= static_cast<Int64>(n);
    }
}

namespace {

// Reads a length-prefixed byte run in chunks, so that a corrupt length cannot make the reader
// allocate more than the stream really holds.
AnsiString ReadBytes(TReader& reader, Int64 count)
{
    AnsiString result;
    constexpr Int64 chunk = 64 * 1024;
    while (count > 0) {
        const Int64 n = std::min(count, chunk);
        const std::size_t at = result.size();
        result.resize(at + static_cast<std::size_t>(n));
        reader.Read(result.data() + at, n);
        count -= n;
    }
    return result;
}

} // namespace

TValueType TReader::ReadValue()
{
    const Byte b = ReadByte();
    if (b > vaUTF8String)
        internal::InvalidStreamFormat();
    return static_cast<TValueType>(b);
}

TValueType TReader::NextValue()
{
    const TValueType value = ReadValue();
    --bufPos_; // ReadValue consumed exactly one byte from the buffer
    return value;
}

void TReader::PropValueError() const
{
    throw EReadError("Invalid property value");
}

void TReader::CheckValue(TValueType value)
{
    if (ReadValue() != value) {
        --bufPos_;
        SkipValue();
        PropValueError();
    }
}

bool TReader::EndOfList()
{
    // A raw peek: the next byte may also open an object (a 0xF0 prefix or a name length).
    const Byte b = ReadByte();
    --bufPos_;
    return b == vaNull;
}

AnsiString TReader::ReadStr()
{
    const Byte length = ReadByte();
    AnsiString s(length, '\0');
    Read(s.data(), length);
    return s;
}

Integer TReader::ReadInteger()
{
    const Int64 v = ReadInt64();
    if (v < INT32_MIN || v > INT32_MAX)
        PropValueError();
    return static_cast<Integer>(v);
}

Int64 TReader::ReadInt64()
{
    unsigned char b[8];
    switch (ReadValue()) {
    case vaInt8:
        Read(b, 1);
        return static_cast<std::int8_t>(b[0]);
    case vaInt16:
        Read(b, 2);
        return static_cast<std::int16_t>(FromLittleEndian<std::uint16_t>(b));
    case vaInt32:
        Read(b, 4);
        return static_cast<std::int32_t>(FromLittleEndian<std::uint32_t>(b));
    case vaInt64:
        Read(b, 8);
        return static_cast<Int64>(FromLittleEndian<std::uint64_t>(b));
    default:
        --bufPos_;
        PropValueError();
    }
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case vaTrue:
        return true;
    case vaFalse:
        return false;
    default:
        --bufPos_;
        PropValueError();
    }
}

char TReader::ReadChar()
{
    const AnsiString s = ReadString();
    if (s.size() != 1)
        PropValueError();
    return s[0];
}

AnsiString TReader::ReadString()
{
    unsigned char b[4];
    switch (ReadValue()) {
    case vaString:
        return ReadBytes(*this, ReadByte());
    case vaLString:
    case vaUTF8String: {
        --bufPos_;
        const TValueType type = ReadValue();
        Read(b, 4);
        const auto length = static_cast<std::int32_t>(FromLittleEndian<std::uint32_t>(b));
        if (length < 0)
            internal::InvalidStreamFormat();
        AnsiString bytes = ReadBytes(*this, length);
        return type == vaUTF8String ? Utf8ToAnsi(bytes) : bytes;
    }
    case vaWString:
        --bufPos_;
        return Utf32ToAnsi(internal::Utf16ToUtf32(ReadWideString()));
    default:
        --bufPos_;
        PropValueError();
    }
}

std::u16string TReader::ReadWideString()
{
    unsigned char b[4];
    const TValueType type = ReadValue();
    if (type == vaWString) {
        Read(b, 4);
        const auto count = static_cast<std::int32_t>(FromLittleEndian<std::uint32_t>(b));
        if (count < 0)
            internal::InvalidStreamFormat();
        const AnsiString bytes = ReadBytes(*this, Int64{count} * 2);
        std::u16string out(static_cast<std::size_t>(count), u'\0');
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<char16_t>(FromLittleEndian<std::uint16_t>(
                reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * i));
        return out;
    }
    --bufPos_;
    if (type == vaUTF8String) {
        ReadValue();
        Read(b, 4);
        const auto length = static_cast<std::int32_t>(FromLittleEndian<std::uint32_t>(b));
        if (length < 0)
            internal::InvalidStreamFormat();
        return internal::Utf32ToUtf16(internal::Utf8ToUtf32(ReadBytes(*this, length)));
    }
    return internal::AnsiToUtf16(ReadString());
}

AnsiString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    case vaNil:
        return "nil";
    case vaNull:
        return "Null";
    default:
        --bufPos_;
        PropValueError();
    }
}

double TReader::ReadFloat()
{
    switch (NextValue()) {
    case vaExtended: {
        ReadValue();
        internal::ExtendedBytes bytes{};
        Read(bytes.data(), 10);
        return internal::ExtendedToDouble(bytes);
    }
    case vaSingle:
        return ReadSingle();
    case vaDate:
        return ReadDate();
    case vaCurrency:
        return ReadCurrency().ToDouble();
    default:
        return static_cast<double>(ReadInt64());
    }
}

float TReader::ReadSingle()
{
    if (NextValue() != vaSingle)
        return static_cast<float>(ReadFloat());
    ReadValue();
    unsigned char b[4];
    Read(b, 4);
    return std::bit_cast<float>(FromLittleEndian<std::uint32_t>(b));
}

Currency TReader::ReadCurrency()
{
    if (NextValue() != vaCurrency)
        return Currency::FromDouble(ReadFloat());
    ReadValue();
    unsigned char b[8];
    Read(b, 8);
    return Currency::FromRaw(static_cast<Int64>(FromLittleEndian<std::uint64_t>(b)));
}

TDateTime TReader::ReadDate()
{
    if (NextValue() != vaDate)
        return ReadFloat();
    ReadValue();
    unsigned char b[8];
    Read(b, 8);
    return std::bit_cast<double>(FromLittleEndian<std::uint64_t>(b));
}

void TReader::SkipValue()
{
    unsigned char b[8];
    auto skipBytes = [&](Int64 n) {
        while (n > 0) {
            char scratch[512];
            const Int64 k = std::min<Int64>(n, sizeof scratch);
            Read(scratch, k);
            n -= k;
        }
    };
    auto readLength = [&]() -> Int64 {
        Read(b, 4);
        const auto length = static_cast<std::int32_t>(FromLittleEndian<std::uint32_t>(b));
        if (length < 0)
            internal::InvalidStreamFormat();
        return length;
    };
    if (++depth_ > kMaxDepth)
        internal::InvalidStreamFormat();
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaList:
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        break;
    case vaInt8:
        skipBytes(1);
        break;
    case vaInt16:
        skipBytes(2);
        break;
    case vaInt32:
    case vaSingle:
        skipBytes(4);
        break;
    case vaInt64:
    case vaCurrency:
    case vaDate:
        skipBytes(8);
        break;
    case vaExtended:
        skipBytes(10);
        break;
    case vaString:
    case vaIdent:
        skipBytes(ReadByte());
        break;
    case vaLString:
    case vaUTF8String:
    case vaBinary:
        skipBytes(readLength());
        break;
    case vaWString:
        skipBytes(readLength() * 2);
        break;
    case vaSet:
        while (!ReadStr().empty()) {
        }
        break;
    case vaCollection:
        while (!EndOfList()) {
            const TValueType next = NextValue();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32)
                ReadInteger(); // the item's order index
            CheckValue(vaList);
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
    --depth_;
}

void TReader::ReadSignature()
{
    char signature[4];
    try {
        Read(signature, 4);
    } catch (const EReadError&) {
        internal::InvalidStreamFormat();
    }
    if (std::memcmp(signature, "TPF0", 4) != 0)
        internal::InvalidStreamFormat();
}

void TReader::ReadPrefix(Byte& flags, Integer& childPos)
{
    flags = 0;
    childPos = 0;
    const Byte b = ReadByte();
    if ((b & 0xF0) != 0xF0) {
        --bufPos_;
        return;
    }
    flags = b & 0x0F;
    if (flags & ffChildPos)
        childPos = ReadInteger();
}

void TReader::DefineProperty(const AnsiString& name, ReaderProc readData, WriterProc, bool)
{
    if (propName_.empty() || !SameText(name, propName_) || !readData)
        return;
    propName_.clear(); // found: the caller's "unknown property" check sees an empty name
    readData(*this);
}

void TReader::DefineBinaryProperty(const AnsiString& name, StreamProc readData, StreamProc, bool)
{
    if (propName_.empty() || !SameText(name, propName_) || !readData)
        return;
    propName_.clear();
    if (ReadValue() != vaBinary) {
        --bufPos_;
        SkipValue();
        PropValueError();
    }
    unsigned char b[4];
    Read(b, 4);
    const auto length = static_cast<std::int32_t>(FromLittleEndian<std::uint32_t>(b));
    if (length < 0)
        internal::InvalidStreamFormat();
    TStringStream data(ReadBytes(*this, length));
    readData(data);
}

} // namespace vmado
