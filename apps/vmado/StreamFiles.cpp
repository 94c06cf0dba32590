#include "StreamFiles.h"

#include "dataset/ExportText.h"
#include "framework/classes/ComponentStreaming.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vmado::app {

namespace {

constexpr std::string_view kSignature = "TPF0";

std::string Converted(const std::string& input, void (*convert)(TStream&, TStream&))
{
    TStringStream in(input);
    TStringStream out;
    convert(in, out);
    return out.DataString();
}

} // namespace

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EFOpenError("Cannot open file \"" + Utf8ToAnsi(path) + "\". " +
                          Utf8ToAnsi(std::strerror(errno)));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        throw EReadError("Cannot read file \"" + Utf8ToAnsi(path) + "\"");
    return bytes.str();
}

void ReplaceWholeFile(const std::string& path, const std::string& bytes)
{
    TExportFile file(Utf8ToAnsi(path));
    file.Write(bytes);
    file.Commit();
}

AnsiString ReadText(const std::string& path)
{
    const std::string text = ReadWholeFile(path);
    if (!Utf8FitsCodePage(text))
        throw EConvertError("\"" + Utf8ToAnsi(path) +
                            "\" is not UTF-8 text, or holds characters the code page has no place for");
    return Utf8ToAnsi(text);
}

std::string AnsiToText(const AnsiString& text)
{
    return AnsiToUtf8(text);
}

bool IsBinaryComponent(const std::string& bytes)
{
    return bytes.starts_with(kSignature);
}

AnsiString RootClassName(const std::string& bytes)
{
    TStringStream in(bytes);
    TReader reader(in);
    reader.ReadSignature();
    Byte flags = 0;
    Integer childPos = 0;
    reader.ReadPrefix(flags, childPos);
    return reader.ReadStr();
}

std::string BinaryToText(const std::string& bytes)
{
    return Converted(bytes, &ObjectBinaryToText);
}

std::string TextToBinary(const std::string& text)
{
    return Converted(text, &ObjectTextToBinary);
}

} // namespace vmado::app
