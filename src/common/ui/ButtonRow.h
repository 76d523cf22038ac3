#pragma once

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QList>
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

// A button added to a bar's row, named after its caption. Only the one
// that is `enter` answers Enter in the bar's boxes; the others, whatever
// has the focus, never do.
inline QPushButton *addBarButton(QBoxLayout *row, QWidget *parent, const QString &caption,
                                 bool enter = false)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(caption);
    button->setAutoDefault(false);
    button->setDefault(enter);
    row->addWidget(button);
    return button;
}

// Buttons added to a bar's row, in the order given, each calling its slot
// of `window`; the one captioned `enterCaption` answers Enter.
template <typename Window>
QList<QPushButton *> addBarButtons(QBoxLayout *row, Window *window,
                                   std::initializer_list<std::pair<QString, void (Window::*)()>> buttons,
                                   const QString &enterCaption = {})
{
    QList<QPushButton *> added;
    for (const auto &[caption, slot] : buttons) {
        QPushButton *button = addBarButton(row, window, caption,
                                           !enterCaption.isEmpty() && caption == enterCaption);
        QObject::connect(button, &QPushButton::clicked, window, slot);
        added.append(button);
    }
    return added;
}
