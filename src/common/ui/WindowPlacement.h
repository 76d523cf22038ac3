#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QWidget;

// Every window of the program opens inside the screen it appears on and
// where the operator last left it. Installed once on the application, it
// watches the program's own windows (not Qt's message boxes and file
// dialogs) as they are shown and hidden: a window shown for the first time
// takes its last size and position from the operator's own settings (Qt's
// settings in the user's configuration folder, so each workstation user
// keeps theirs), and is then shrunk and moved as far as needed to lie wholly
// on the available part of its screen. A window hidden saves where it was.
class WindowPlacement : public QObject
{
    Q_OBJECT

public:
    explicit WindowPlacement(QObject *parent = nullptr);

    // The frame `wanted` (decorations included), shrunk to no less than
    // `minimum` and moved to lie within `available` as far as it can.
    static QRect fitted(const QRect &wanted, const QRect &available, const QSize &minimum);

    // The name under which a window's place is kept in the user's settings.
    static QString keyOf(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool isPlaced(const QObject *object);
    void place(QWidget *window);
    void remember(QWidget *window);
};
