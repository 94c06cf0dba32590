// A multi-line edit over one field, usually a memo. It loads the field's whole text, starts the
// dataset editing at the user's first change and writes the text back when focus leaves or the
// record is posted. Text stored with CR LF line ends is written back with CR LF.
#pragma once

#include "framework/rtl/Types.h"

#include <QPlainTextEdit>

#include <memory>

namespace vmado {

class TDataSource;
class TField;
class TFieldDataLink;

class TVDBMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TVDBMemo(QWidget* parent = nullptr);
    ~TVDBMemo() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    const AnsiString& DataField() const;
    // Raises EDatabaseError when the source's dataset is open and has no such field.
    void SetDataField(const AnsiString& value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TField* Field() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DataChange();
    void UpdateInputState();
    void UserEdited();
    QString StoredText() const;

    std::unique_ptr<TFieldDataLink> link_;
    bool starting_ = false; // the dataset is being put into edit mode for the user's change
    bool loading_ = false;  // the text is being set from the field
    bool crlf_ = false;     // the field's text used CR LF line ends
};

} // namespace vmado
