// TFiler, TReader and TWriter: the framework's binary component stream ("TPF0"). Values are
// written in their smallest form, little-endian; a reader meeting truncated or foreign data
// raises EReadError and never reads past the stream.
#pragma once

#include "framework/classes/Streams.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Types.h"
#include "framework/rtl/Variant.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace vmado {

class TPersistent;
class TComponent;
class TCollection;
class TReader;
class TWriter;
struct TPropInfo;

enum TValueType : Byte {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

// Object header flags (the prefix byte 0xF0 | flags).
enum : Byte { ffInherited = 0x01, ffChildPos = 0x02, ffInline = 0x04 };

// Raised by ObjectTextToBinary for text that is not a component description:
// "<what> expected on line N".
class EParserError : public EReadError {
    using EReadError::EReadError;
};

// What TPersistent::DefineProperties talks to: the reader and writer each act on the calls.
class TFiler {
public:
    using ReaderProc = std::function<void(TReader&)>;
    using WriterProc = std::function<void(TWriter&)>;
    using StreamProc = std::function<void(TStream&)>;

    explicit TFiler(TStream& stream) : stream_(stream) {}
    virtual ~TFiler() = default;
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;

    // A custom property: the writer writes name and calls writeData when hasData; the reader
    // calls readData when the stream's property has this name (ASCII case ignored).
    virtual void DefineProperty(const AnsiString& name, ReaderProc readData, WriterProc writeData,
                                bool hasData) = 0;
    // A binary property: stored as vaBinary with a 32-bit length; the procedures see a memory
    // stream positioned at its start.
    virtual void DefineBinaryProperty(const AnsiString& name, StreamProc readData, StreamProc writeData,
                                      bool hasData) = 0;

    TStream& Stream() const { return stream_; }
    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* root) { root_ = root; }
    TComponent* LookupRoot() const { return root_; }
    // The ancestor of the object being written; inherited forms are not used here, so it is
    // always null, and DefineProperties decide by the object's own state.
    TPersistent* Ancestor() const { return nullptr; }

protected:
    TStream& stream_;
    TComponent* root_ = nullptr;
};

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream);
    // Flushes what is still buffered (errors there are swallowed; call FlushBuffer to see them).
    ~TWriter() override;

    void DefineProperty(const AnsiString& name, ReaderProc readData, WriterProc writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, StreamProc readData, StreamProc writeData,
                              bool hasData) override;

    // Whole components: the signature, the root and everything GetChildren lists under it.
    void WriteRootComponent(TComponent& root);
    void WriteComponent(TComponent& component);
    void WriteSignature();
    // The published and defined properties of instance, ended by nothing (callers add vaNull).
    void WriteProperties(const TPersistent& instance);
    void WriteCollection(const TCollection* collection);

    // Values.
    void WriteValue(TValueType value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(Int64 value); // vaInt8, vaInt16, vaInt32 or vaInt64, the smallest that fits
    void WriteBoolean(bool value);
    void WriteChar(char value);
    void WriteString(std::string_view value); // vaString up to 255 bytes, else vaLString
    void WriteWideString(std::u16string_view value);
    void WriteUTF8String(std::string_view utf8);
    void WriteIdent(std::string_view ident); // False/True/nil/Null become their own codes
    void WriteFloat(double value);           // vaExtended, 10 bytes
    void WriteSingle(float value);
    void WriteCurrency(Currency value);
    void WriteDate(TDateTime value);
    void WriteVariant(const Variant& value);
    void WriteBinary(const void* data, Int64 size); // vaBinary with its 32-bit length
    void WriteStr(std::string_view value);          // a bare short string (length byte + bytes)
    void WritePropName(std::string_view name);      // the current property path + name
    void WritePrefix(Byte flags, Integer childPos);

    void Write(const void* data, Int64 count);
    void FlushBuffer();

private:
    void WriteProperty(const TPersistent& instance, const TPropInfo& prop);

    std::vector<char> buffer_;
    AnsiString propPath_;
};

class TReader : public TFiler {
public:
    explicit TReader(TStream& stream);
    // Moves the stream back to the end of what was consumed from the buffer.
    ~TReader() override;

    void DefineProperty(const AnsiString& name, ReaderProc readData, WriterProc writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, StreamProc readData, StreamProc writeData,
                              bool hasData) override;

    // Reads the signature and the root into root, or into a new instance of the stream's class
    // when root is null (the caller then owns it). Calls Loaded on every component read.
    TComponent* ReadRootComponent(TComponent* root);
    void ReadSignature(); // EReadError "Invalid stream format" unless "TPF0"
    void ReadPrefix(Byte& flags, Integer& childPos);
    // The properties of instance up to the vaNull ending them.
    void ReadProperties(TPersistent& instance);
    // After vaCollection: the items into collection (cleared first when the stream has items).
    void ReadCollection(TCollection& collection);

    // Values. Each raises EReadError "Invalid property value" when the next value has another type.
    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType value);
    bool EndOfList();
    void ReadListBegin() { CheckValue(vaList); }
    void ReadListEnd() { CheckValue(vaNull); }
    Integer ReadInteger(); // any integer form that fits 32 bits
    Int64 ReadInt64();
    bool ReadBoolean();
    char ReadChar();
    AnsiString ReadString(); // every string form; wide and UTF-8 ones converted to the code page
    std::u16string ReadWideString();
    AnsiString ReadIdent(); // vaIdent, or False/True/nil/Null
    double ReadFloat();     // extended, single, date or an integer
    float ReadSingle();
    Currency ReadCurrency();
    TDateTime ReadDate();
    Variant ReadVariant();
    AnsiString ReadStr(); // a bare short string
    void SkipValue();
    void Read(void* data, Int64 count); // raw bytes; EReadError at the end of the stream

    // The owner of the components being read (the root).
    TComponent* Owner() const { return owner_; }

private:
    void ReadProperty(TPersistent& instance);
    void ReadPropValue(TPersistent& instance, const TPropInfo& prop);
    TComponent* ReadComponent(TComponent* owner);
    void ReadComponentData(TComponent& component);
    void ResolveFixups();
    Byte ReadByte();
    [[noreturn]] void PropValueError() const;

    std::vector<char> buffer_;
    std::size_t bufPos_ = 0;
    std::size_t bufEnd_ = 0;
    TComponent* owner_ = nullptr;
    AnsiString propName_; // the defined-property name being looked for; cleared once read
    std::vector<TComponent*> loaded_;
    struct Fixup {
        TPersistent* Instance;
        const TPropInfo* Prop;
        AnsiString Name;
    };
    std::vector<Fixup> fixups_;
    int depth_ = 0; // nesting guard against hostile streams
};

} // namespace vmado
