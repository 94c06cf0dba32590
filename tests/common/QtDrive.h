// Driving modal forms from a test: the form's own event loop runs the given steps once it is up,
// and a form left open is rejected, so no test can hang on a dialog.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vmado::test {

// Runs drive on the next modal dialog that opens (within about five seconds); when drive leaves
// it open, it is rejected.
inline void WhenModal(std::function<void(QDialog&)> drive, int attempts = 500)
{
    QTimer::singleShot(10, [drive = std::move(drive), attempts]() mutable {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (attempts > 0)
                WhenModal(std::move(drive), attempts - 1);
            return;
        }
        drive(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Types text as key presses; letters outside ASCII arrive as keys carrying their text, since
// QTest knows key codes only for ASCII.
inline void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// How many pixels of the image have exactly this colour.
inline int CountPixels(const QImage& image, const QColor& colour)
{
    int count = 0;
    const QRgb wanted = colour.rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == wanted;
    return count;
}

// The number of distinct colours, to tell a drawn form from an empty rectangle.
inline int DistinctColours(const QImage& image)
{
    QList<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (!seen.contains(image.pixel(x, y)) && seen.size() < 64)
                seen.append(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

} // namespace vmado::test
