#pragma once

#include <QHBoxLayout>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <utility>

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

// Buttons added to a search bar's row, in the order given, each named after
// its caption and calling its slot of `window`; the one captioned
// `enterCaption` answers Enter in the bar's boxes.
template <typename Window>
void addBarButtons(QHBoxLayout *row, Window *window,
                   std::initializer_list<std::pair<QString, void (Window::*)()>> buttons,
                   const QString &enterCaption)
{
    for (const auto &[caption, slot] : buttons) {
        auto *button = new QPushButton(caption, row->parentWidget());
        button->setObjectName(caption);
        button->setAutoDefault(false);
        button->setDefault(caption == enterCaption);
        QObject::connect(button, &QPushButton::clicked, window, slot);
        row->addWidget(button);
    }
}
