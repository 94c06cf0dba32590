// Component streams in files: the binary form and its text, read whole and written so that a
// failure leaves the old file as it was.
#pragma once

#include "framework/rtl/Types.h"

#include <string>

namespace vmado::app {

// Paths as given on the command line (UTF-8).
std::string ReadWholeFile(const std::string& path); // EFOpenError naming the file
void ReplaceWholeFile(const std::string& path, const std::string& bytes);

// The tool's text files are UTF-8, as its terminal is: ReadText gives a text file's content in
// the code page, raising EConvertError naming the file when a character has no place there;
// AnsiToText turns code-page text into the file's UTF-8.
AnsiString ReadText(const std::string& path);
std::string AnsiToText(const AnsiString& text);

// Whether bytes start with the binary component stream's signature.
bool IsBinaryComponent(const std::string& bytes);
// The class of the binary stream's root component; EReadError when bytes are no such stream.
AnsiString RootClassName(const std::string& bytes);

std::string BinaryToText(const std::string& bytes); // EReadError
std::string TextToBinary(const std::string& text);  // EParserError naming the line

} // namespace vmado::app
