#pragma once

#include <QLabel>
#include <QLatin1String>
#include <QString>

// Sets a status label's colour (a style sheet) and text where they change. Most polls leave both
// as they were, and a style sheet set again would still re-polish the label and repaint its line.
inline void setStatusText(QLabel *label, const char *styleSheet, const QString &text)
{
    const QLatin1String sheet(styleSheet);
    if (label->styleSheet() != sheet)
        label->setStyleSheet(sheet);
    if (label->text() != text)
        label->setText(text);
}
