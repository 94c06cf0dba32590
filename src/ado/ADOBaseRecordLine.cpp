// The record line: each field's value as text, joined in the framework's comma-text form, in a
// text area sized for the worst case of every entry. A line never leaves its area and never
// loses its terminator; one that would not fit is refused, not cut.
#include "ado/ADOBase.h"
#include "ado/ADOBasePrivate.h"
#include "ado/engine/expression/internal/Literals.h"

#include <cmath>
#include <cstring>

namespace vmado {
namespace adobase {

void AppendCommaTextItem(AnsiString& line, std::string_view item) {
    bool quote = item.empty(); // an empty entry is written "" so that splitting keeps it
    for (char c : item) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || c == '"' || c == ',') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line += item;
        return;
    }
    line += '"';
    for (char c : item) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

Integer FieldTextBound(DataTypeEnum type, Integer definedSize) {
    const Integer size = definedSize < 0 ? 0 : definedSize;
    switch (type) {
    case adChar:
    case adVarChar:
    case adLongVarChar:
    case adWChar:
    case adVarWChar:
    case adLongVarWChar:
    case adBSTR: return size;
    default:
        // Numbers, dates, Booleans and GUIDs render to at most a few dozen characters whatever
        // their storage size; 64 covers every format with room to spare.
        return size > 64 ? size : 64;
    }
}

} // namespace adobase

namespace {

constexpr Integer kMaxEntry = 65000;
constexpr Integer kBlobEntry = 10;

Integer QuotedBudget(Integer textBound) {
    const Integer n = textBound > kMaxEntry ? kMaxEntry : textBound;
    return 2 * n + 2 + 1; // every byte a doubled quote, two enclosing quotes, separator
}

AnsiString EntryText(const Field& field) {
    const Variant value = field.Value();
    if (VarIsNullOrEmpty(value)) return {};
    char buf[32];
    switch (field.Type()) {
    case adDate:
    case adDBDate: {
        const double day = std::trunc(value.AsDateTime());
        return AnsiString(engine::internal::FormatDateTime(day, buf));
    }
    case adDBTimeStamp: return AnsiString(engine::internal::FormatDateTime(value.AsDateTime(), buf));
    default: return VarToStr(value);
    }
}

} // namespace

Integer TVRecords::CalcRecSize(const TFields& fields) {
    RecSize = 0;
    budgets_.clear();
    if (!Active) return RecSize;
    BlobFields->Clear();
    const FieldsPtr adoFields = Recordset->Fields();
    const Integer count = adoFields->Count();
    for (Integer i = 0; i < count; ++i) {
        const FieldPtr f = adoFields->Item(i);
        const TField* field = fields.FindField(f->Name());
        Integer budget;
        if (field && field->IsBlob()) {
            BlobFields->Add(field->FieldName());
            budget = kBlobEntry + 1;
        } else {
            budget = QuotedBudget(adobase::FieldTextBound(f->Type(), f->DefinedSize()));
        }
        budgets_.push_back(budget);
        RecSize += budget;
    }
    return RecSize;
}

namespace adobase {

void RecordLineWriter::Add(const AnsiString& fieldName, std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        throw EDatabaseError("Field '" + fieldName + "' holds a zero byte, which a record line cannot carry");
    const size_t before = line_.size();
    if (count_ > 0) line_ += ',';
    AppendCommaTextItem(line_, text);
    // The entry and its separator (for the first, the terminator's byte) within its own share.
    const size_t used = line_.size() - before + (count_ == 0 ? 1 : 0);
    if (count_ < budgets_.size() && used > static_cast<size_t>(budgets_[count_])) {
        throw EDatabaseError("Value of field '" + fieldName + "' (" + std::to_string(text.size()) +
                             " characters) does not fit its record entry of " +
                             std::to_string(budgets_[count_]) + " bytes");
    }
    ++count_;
}

void RecordLineWriter::Write(char* buffer) const {
    if (static_cast<Integer>(line_.size()) + 1 > recSize_) {
        throw EDatabaseError("Record line of " + std::to_string(line_.size()) +
                             " bytes does not fit the text area of " + std::to_string(recSize_) + " bytes");
    }
    std::memcpy(buffer, line_.data(), line_.size());
    buffer[line_.size()] = '\0';
}

} // namespace adobase

void TVRecords::LoadRecord(char* buffer, bool blank) {
    if (RecSize <= 0) {
        throw EDatabaseError("Record buffer has no text area: CalcRecSize was not called for " +
                             (Source.empty() ? AnsiString("the recordset") : Source));
    }
    adobase::RecordLineWriter writer(budgets_, RecSize);
    const bool onRecord = !blank && GetOkRec();
    const FieldsPtr adoFields = Active ? Recordset->Fields() : nullptr;
    const Integer count = adoFields ? adoFields->Count() : 0;
    for (Integer i = 0; i < count; ++i) {
        const FieldPtr f = adoFields->Item(i);
        const AnsiString name = f->Name();
        if (BlobFields->IndexOf(name) >= 0) writer.Add(name, "(Blob)");
        else if (onRecord) writer.Add(name, EntryText(*f));
        else writer.Add(name, {});
    }
    writer.Write(buffer); // all or nothing: the buffer is written only once the line is known to fit
}

} // namespace vmado
