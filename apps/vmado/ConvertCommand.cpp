#include "Commands.h"
#include "StreamFiles.h"

#include "framework/classes/Filer.h"
#include "framework/rtl/Exceptions.h"

#include <memory>

namespace vmado::app {

namespace {

struct ConvertOptions {
    std::string input;
    std::string output;
    bool toText = false;
    bool toBinary = false;
};

void Run(const ConvertOptions& options)
{
    const bool toText =
        options.toText || (!options.toBinary && IsBinaryComponent(ReadWholeFile(options.input)));
    std::string result;
    if (toText) {
        try {
            result = AnsiToText(BinaryToText(ReadWholeFile(options.input)));
        } catch (const EFOpenError&) {
            throw;
        } catch (const Exception& e) {
            throw EReadError("\"" + Arg(options.input) + "\" is not a binary component stream (" +
                             e.Message() + ")");
        }
    } else {
        const std::string text = ReadText(options.input);
        try {
            result = TextToBinary(text);
        } catch (const Exception& e) {
            throw EParserError("\"" + Arg(options.input) + "\": " + e.Message());
        }
    }
    ReplaceWholeFile(options.output, result);
}

} // namespace

void AddConvertCommand(CLI::App& app)
{
    CLI::App* command = app.add_subcommand(
        "convert", "Convert a component stream between its binary form and its text (UTF-8); without "
                   "--to-text or --to-binary a binary input becomes text and anything else binary");
    auto options = std::make_shared<ConvertOptions>();
    command->add_option("input", options->input, "The stream to read")->required()->check(CLI::ExistingFile);
    command->add_option("output", options->output, "The file to write; replaced only once complete")
        ->required();
    CLI::Option* toText = command->add_flag("--to-text", options->toText, "Binary to text");
    command->add_flag("--to-binary", options->toBinary, "Text to binary")->excludes(toText);
    command->callback([options] { Run(*options); });
}

} // namespace vmado::app
