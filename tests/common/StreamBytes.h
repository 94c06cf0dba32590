// Builds binary component streams byte by byte from the format itself ("TPF0", short strings,
// value-type codes, little-endian integers), so tests compare what the writer produces with
// what the format prescribes rather than with what the writer produced before.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace vmado::test {

class StreamBytes {
public:
    // The signature, the class name and the component name.
    static StreamBytes Root(const std::string& className, const std::string& name = {})
    {
        StreamBytes s;
        s.bytes_ = "TPF0";
        s.Str(className).Str(name);
        return s;
    }

    // A short string: its length in one byte, then the bytes.
    StreamBytes& Str(const std::string& text)
    {
        if (text.size() > 255)
            throw std::invalid_argument("short string longer than 255 bytes");
        bytes_ += static_cast<char>(text.size());
        bytes_ += text;
        return *this;
    }
    StreamBytes& Code(std::uint8_t valueType)
    {
        bytes_ += static_cast<char>(valueType);
        return *this;
    }
    StreamBytes& End() { return Code(0); }  // end of a list, of properties or of a collection
    StreamBytes& Item() { return Code(1); } // one collection item begins
    StreamBytes& Prop(const std::string& name) { return Str(name); }

    // The smallest of the 8-, 16- and 32-bit integer forms that holds value.
    StreamBytes& Int(std::int32_t value)
    {
        if (value >= -128 && value <= 127)
            return Code(2).Raw(value, 1);
        if (value >= -32768 && value <= 32767)
            return Code(3).Raw(value, 2);
        return Code(4).Raw(value, 4);
    }
    StreamBytes& String(const std::string& text) { return Code(6).Str(text); }
    StreamBytes& Ident(const std::string& ident) { return Code(7).Str(ident); }
    StreamBytes& Bool(bool value) { return Code(value ? 9 : 8); }
    StreamBytes& Set(std::initializer_list<const char*> elements)
    {
        Code(11);
        for (const char* e : elements)
            Str(e);
        return Str("");
    }
    StreamBytes& List(std::initializer_list<const char*> strings)
    {
        Code(1);
        for (const char* s : strings)
            String(s);
        return End();
    }
    StreamBytes& Collection() { return Code(14); }

    // Name = value pairs of the usual kinds.
    StreamBytes& PropInt(const std::string& name, std::int32_t v) { return Prop(name).Int(v); }
    StreamBytes& PropString(const std::string& name, const std::string& v) { return Prop(name).String(v); }
    StreamBytes& PropIdent(const std::string& name, const std::string& v) { return Prop(name).Ident(v); }
    StreamBytes& PropBool(const std::string& name, bool v) { return Prop(name).Bool(v); }

    // A font as the framework streams one whose every value is the default but its name.
    StreamBytes& DefaultFont(const std::string& path, const std::string& fontName = "MS Sans Serif")
    {
        return PropIdent(path + ".Charset", "DEFAULT_CHARSET")
            .PropIdent(path + ".Color", "clWindowText")
            .PropInt(path + ".Height", -11)
            .PropString(path + ".Name", fontName)
            .Prop(path + ".Style")
            .Set({});
    }

    StreamBytes& Append(const StreamBytes& other)
    {
        bytes_ += other.bytes_;
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    StreamBytes& Raw(std::int32_t value, int size)
    {
        const auto u = static_cast<std::uint32_t>(value);
        for (int i = 0; i < size; ++i)
            bytes_ += static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }

    std::string bytes_;
};

} // namespace vmado::test
