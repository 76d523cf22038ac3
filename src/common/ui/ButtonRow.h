#pragma once

#include <QHBoxLayout>
#include <QWidget>

#include <initializer_list>

// The row of buttons at the foot of a dialog: pushed to the right, in the
// order given.
inline QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *button : buttons)
        row->addWidget(button);
    return row;
}
