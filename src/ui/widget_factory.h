#pragma once
// Controls made in code (the viewers have no .ui form): each gets its
// object name at birth, so tests and the accessibility tree find it.
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace morvelan {

inline QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& text, bool repeat = false)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(objectName));
    b->setAutoRepeat(repeat);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

inline QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(objectName));
    return l;
}

} // namespace morvelan
