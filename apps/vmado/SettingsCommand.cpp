#include "Commands.h"
#include "StreamFiles.h"

#include "framework/classes/Filer.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <iostream>
#include <memory>

namespace vmado::app {

namespace {

const char* const kSettingsClass = "TVADOWrapper";

// A settings file holds exactly one wrapper component; anything else is named as what it is.
void CheckSettings(const std::string& bytes, const std::string& path)
{
    AnsiString className;
    try {
        className = RootClassName(bytes);
    } catch (const Exception& e) {
        throw EReadError("\"" + Arg(path) + "\" is not a dataset settings file (" + e.Message() + ")");
    }
    if (!SameText(className, kSettingsClass))
        throw EReadError("\"" + Arg(path) + "\" is not a dataset settings file: it holds a " + className +
                         " component, not " + kSettingsClass);
}

void Print(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    CheckSettings(bytes, path);
    std::string text;
    try {
        text = BinaryToText(bytes);
    } catch (const Exception& e) {
        throw EReadError("\"" + Arg(path) + "\" cannot be read: " + e.Message());
    }
    std::cout << AnsiToConsole(text) << std::flush;
}

void ToBinary(const std::string& textPath, const std::string& outPath)
{
    const std::string text = ReadText(textPath);
    std::string binary;
    try {
        binary = TextToBinary(text);
    } catch (const Exception& e) {
        throw EParserError("\"" + Arg(textPath) + "\": " + e.Message());
    }
    CheckSettings(binary, textPath);
    ReplaceWholeFile(outPath, binary);
}

} // namespace

void AddSettingsCommand(CLI::App& app)
{
    CLI::App* command = app.add_subcommand(
        "settings", "Print a dataset settings file as text (UTF-8), or with --to-binary turn such text back "
                    "into a settings file");
    auto files = std::make_shared<std::vector<std::string>>();
    auto toBinary = std::make_shared<bool>(false);
    command->add_option("files", *files, "FILE to print, or TEXT OUT with --to-binary")
        ->required()
        ->expected(1, 2)
        ->type_name("FILE | TEXT OUT");
    command->add_flag("--to-binary", *toBinary, "Convert the text file TEXT into the settings file OUT");
    command->callback([files, toBinary] {
        if (*toBinary != (files->size() == 2))
            throw CLI::ValidationError("settings", *toBinary
                                                       ? "--to-binary needs the text file and the output file"
                                                       : "give one settings file to print");
        if (*toBinary)
            ToBinary((*files)[0], (*files)[1]);
        else
            Print((*files)[0]);
    });
}

} // namespace vmado::app
