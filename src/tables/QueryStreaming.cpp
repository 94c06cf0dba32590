// What a query adds to its stored form: the parameters as the collection "ParamData", and the
// bytes of a "Data" property read from an older form, written back exactly as they were read.
#include "tables/VTables.h"

#include "framework/classes/Filer.h"
#include "framework/classes/Streams.h"

namespace vmado {

void TVQuery::DefineProperties(TFiler& filer)
{
    TVADODataSet::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& stream) { ReadBinaryData(stream); },
        [this](TStream& stream) { WriteBinaryData(stream); }, binaryData_.has_value());
    // Without inherited forms there is no ancestor to compare with: any parameter is written.
    filer.DefineProperty(
        "ParamData", [this](TReader& reader) { ReadParamData(reader); },
        [this](TWriter& writer) { WriteParamData(writer); }, params_->Count() > 0);
}

void TVQuery::ReadBinaryData(TStream& stream)
{
    const Int64 size = stream.Size() - stream.Position();
    std::vector<char> bytes(static_cast<std::size_t>(size > 0 ? size : 0));
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    binaryData_ = std::move(bytes);
}

void TVQuery::WriteBinaryData(TStream& stream)
{
    if (binaryData_ && !binaryData_->empty())
        stream.WriteBuffer(binaryData_->data(), static_cast<Int64>(binaryData_->size()));
}

void TVQuery::ReadParamData(TReader& reader)
{
    reader.CheckValue(vaCollection);
    reader.ReadCollection(*params_);
}

void TVQuery::WriteParamData(TWriter& writer)
{
    writer.WriteCollection(params_.get());
}

} // namespace vmado
