// Blob fields: content read from the engine record through TVBlobStream, cached in BlobValues,
// sent at post. (Being built: every entry raises until then.)
#include "dataset/VDB.h"

namespace vmado {

namespace {
[[noreturn]] void NotYet(const char* what) { throw EDatabaseError(AnsiString(what) + " is not available yet"); }
} // namespace

std::unique_ptr<TStream> TVADODataSet::CreateBlobStream(TField*, TBlobStreamMode) { NotYet("CreateBlobStream"); }
AnsiString TVADODataSet::GetBlobData(TField*) { NotYet("GetBlobData"); }
void TVADODataSet::SetBlobData(TField*, const AnsiString&) { NotYet("SetBlobData"); }
Variant TVADODataSet::BlobToVariant(TField*) { NotYet("BlobToVariant"); }

TVBlobStream::TVBlobStream(TBlobField* field, TBlobStreamMode mode) : field_(field), dataSet_(nullptr), mode_(mode) {
    NotYet("TVBlobStream");
}
TVBlobStream::~TVBlobStream() = default;
Int64 TVBlobStream::Read(void*, Int64) { NotYet("Read"); }
Int64 TVBlobStream::Write(const void*, Int64) { NotYet("Write"); }
Int64 TVBlobStream::Seek(Int64, Word) { NotYet("Seek"); }
void TVBlobStream::SetSize(Int64) { NotYet("SetSize"); }
void TVBlobStream::Truncate() { NotYet("Truncate"); }
Integer TVBlobStream::GetBlobSize() { NotYet("GetBlobSize"); }
AnsiString TVBlobStream::GetBlobData() { NotYet("GetBlobData"); }

} // namespace vmado
