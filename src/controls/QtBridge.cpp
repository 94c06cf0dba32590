#include "controls/QtBridge.h"

#include "framework/graphics/Graphics.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/SysUtils.h"

#include <QLineEdit>
#include <QPalette>
#include <QVariant>
#include <QWidget>

#include <array>

namespace vmado {

namespace {

// The classic platform defaults of the system colours, as $00BBGGRR, by index.
constexpr std::array<TColor, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};

constexpr const char* kUpperCaseProperty = "vmadoUpperCase";

TColor ResolveColor(TColor color)
{
    const auto bits = static_cast<unsigned>(color);
    if ((bits & 0xFF000000u) == 0x80000000u) {
        const unsigned index = bits & 0xFFu;
        return index < kSystemColors.size() ? kSystemColors[index] : clBlack;
    }
    return static_cast<TColor>(bits & 0x00FFFFFFu);
}

} // namespace

QString ToQString(const AnsiString& text)
{
    const std::string utf8 = AnsiToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

AnsiString FromQString(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToAnsi(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QColor ToQColor(TColor color)
{
    const auto bgr = static_cast<unsigned>(ResolveColor(color));
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    return static_cast<TColor>(static_cast<unsigned>(color.red()) |
                               static_cast<unsigned>(color.green()) << 8 |
                               static_cast<unsigned>(color.blue()) << 16);
}

void SetInputColor(QWidget* input, TColor color)
{
    QPalette palette = input->palette();
    const QColor base = ToQColor(color);
    palette.setColor(QPalette::Active, QPalette::Base, base);
    palette.setColor(QPalette::Inactive, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    palette.setColor(QPalette::Button, base);
    input->setPalette(palette);
    input->setProperty("vmadoColor", QVariant::fromValue(static_cast<qint64>(color)));
}

TColor InputColor(const QWidget* input)
{
    const QVariant stored = input->property("vmadoColor");
    return stored.isValid() ? static_cast<TColor>(stored.toLongLong()) : clWindow;
}

void SetUpperCaseTyping(QLineEdit* edit, bool on)
{
    const bool connected = edit->property(kUpperCaseProperty).isValid();
    edit->setProperty(kUpperCaseProperty, on);
    if (connected)
        return;
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& typed) {
        if (!edit->property(kUpperCaseProperty).toBool())
            return;
        const QString upper = ToQString(AnsiUpperCase(FromQString(typed)));
        if (upper == typed)
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(cursor);
    });
}

} // namespace vmado
