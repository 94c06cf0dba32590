// Where the library's values meet Qt's: text in the library's code page against QString, TColor
// (system colours included) against QColor, and the widget settings every form shares.
#pragma once

#include "framework/rtl/Types.h"

#include <QColor>
#include <QString>

class QLineEdit;
class QWidget;

namespace vmado {

QString ToQString(const AnsiString& text);
// Characters the code page cannot hold become its replacement character, as everywhere else.
AnsiString FromQString(const QString& text);

// System colours resolve to fixed values (the platform's classic defaults), so a form looks and
// tests the same whatever style Qt picks.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// Paints an input's base colour, as the forms mark enabled inputs clWindow and disabled ones
// clInfoBk.
void SetInputColor(QWidget* input, TColor color);
TColor InputColor(const QWidget* input);

// From the next keystroke on, the edit's text is upper-cased the way the code page upper-cases
// (on) or left as typed (off).
void SetUpperCaseTyping(QLineEdit* edit, bool on);

} // namespace vmado
