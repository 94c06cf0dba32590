#include "Commands.h"

#include "dataset/ExportText.h"
#include "framework/db/Fields.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <map>
#include <memory>

namespace vmado::app {

namespace {

enum class Format { prn, txt, csv, rfc4180 };

const std::map<std::string, Format> kFormats = {
    {"prn", Format::prn}, {"txt", Format::txt}, {"csv", Format::csv}, {"rfc4180", Format::rfc4180}};

struct ExportOptions {
    DataOptions data;
    std::string output;
    std::string format;
    std::vector<std::string> fields;
    std::string nullToken;
    bool nullGiven = false; // even an empty token asks for rfc4180
};

// The format named, or the one the output's extension names.
Format ChosenFormat(const ExportOptions& options)
{
    if (!options.format.empty())
        return kFormats.at(options.format);
    const std::string ext = LowerCase(ExtractFileExt(options.output));
    const auto found = kFormats.find(ext.empty() ? ext : ext.substr(1));
    if (found == kFormats.end() || found->second == Format::rfc4180)
        throw CLI::ValidationError("--format", "give one of prn, txt, csv or rfc4180; the name \"" +
                                                   options.output + "\" does not tell");
    return found->second;
}

std::vector<TField*> ChosenFields(TDataSet& dataSet, const std::vector<std::string>& names)
{
    std::vector<TField*> fields;
    if (names.empty()) {
        for (Integer i = 0; i < dataSet.FieldCount(); ++i)
            fields.push_back(dataSet.Fields()->Fields(i));
        return fields;
    }
    for (const std::string& name : names) {
        TField* field = dataSet.FindField(Arg(name));
        if (!field)
            throw EDatabaseError("Field '" + Arg(name) + "' not found");
        fields.push_back(field);
    }
    return fields;
}

void Run(const SourceOptions& source, const ExportOptions& options)
{
    const Format format = ChosenFormat(options);
    if (format != Format::rfc4180 && options.nullGiven)
        throw CLI::ValidationError("--null", "only the rfc4180 format writes a NULL token");
    const auto dataSet = OpenData(source, options.data);
    const std::vector<TField*> fields = ChosenFields(*dataSet, options.fields);
    const Integer total = dataSet->RecordCount();
    TExportFile file(Arg(options.output));
    if (format == Format::rfc4180)
        file.Write(Rfc4180Header(fields) + std::string(kExportLineEnd));
    const TExportLayout layout = format == Format::txt   ? TExportLayout::elTab
                                 : format == Format::csv ? TExportLayout::elComma
                                                         : TExportLayout::elFixed;
    Progress progress("exporting");
    Integer done = 0;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
        const std::string line =
            format == Format::rfc4180 ? Rfc4180Line(fields, options.nullToken) : ExportLine(fields, layout);
        file.Write(line + std::string(kExportLineEnd));
        progress.Update(++done, total);
    }
    file.Commit();
}

} // namespace

void AddExportCommand(CLI::App& app, const SourceOptions& source)
{
    CLI::App* command = app.add_subcommand("export", "Write the records of a statement or a table to a file");
    auto options = std::make_shared<ExportOptions>();
    AddDataOptions(*command, options->data, true);
    command->add_option("-o,--output", options->output, "The file to write; replaced only once complete")
        ->required();
    command
        ->add_option("--format", options->format,
                     "prn: fixed width, txt: tab-separated, csv: comma-separated (code page text); rfc4180: "
                     "CSV with a header row in UTF-8. Default: the output's extension")
        ->check(CLI::IsMember({"prn", "txt", "csv", "rfc4180"}));
    command->add_option("--fields", options->fields, "The fields to write, in this order (default: all)")
        ->delimiter(',');
    CLI::Option* null = command->add_option("--null", options->nullToken,
                                            "rfc4180: the text written for a NULL (default: empty)");
    command->callback([&source, options, null] {
        options->nullGiven = null->count() > 0;
        Run(source, *options);
    });
}

} // namespace vmado::app
