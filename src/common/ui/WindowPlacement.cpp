#include "WindowPlacement.h"

#include "common/UserSettings.h"

#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Set once a window was placed, so that showing it again (a dialog kept
// and reopened) leaves it where the operator moved it.
constexpr const char *PlacedProperty = "salondesk.placed";

// Decorations a window manager adds around a window not yet shown, when
// the window cannot say: a title bar and thin borders.
constexpr QMargins GuessedFrame{4, 30, 4, 4};

QString keyFor(const QWidget *window)
{
    return u"windows/"_s + WindowPlacement::keyOf(window);
}

} // namespace

WindowPlacement::WindowPlacement(QObject *parent)
    : QObject(parent)
{
}

QRect WindowPlacement::fitted(const QRect &wanted, const QRect &available, const QSize &minimum)
{
    QRect frame = wanted;
    frame.setWidth(std::max(std::min(wanted.width(), available.width()), minimum.width()));
    frame.setHeight(std::max(std::min(wanted.height(), available.height()), minimum.height()));
    // Too wide even at its least: the left edge (captions, first buttons)
    // stays on the screen.
    const int left = std::max(available.left(),
                              std::min(frame.left(), available.right() - frame.width() + 1));
    const int top = std::max(available.top(),
                             std::min(frame.top(), available.bottom() - frame.height() + 1));
    frame.moveTo(left, top);
    return frame;
}

QString WindowPlacement::keyOf(const QWidget *window)
{
    QString key = QString::fromLatin1(window->metaObject()->className());
    if (!window->objectName().isEmpty())
        key += u'-' + window->objectName();
    return key;
}

bool WindowPlacement::isPlaced(const QObject *object)
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    if (!widget || !widget->isWindow())
        return false;
    if (!qobject_cast<const QDialog *>(widget) && !qobject_cast<const QMainWindow *>(widget))
        return false;
    // Qt's own dialogs size themselves to their text.
    return !QByteArray(widget->metaObject()->className()).startsWith('Q');
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && isPlaced(watched)) {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show)
            place(window);
        else
            remember(window);
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlacement::place(QWidget *window)
{
    if (window->property(PlacedProperty).toBool())
        return;
    window->setProperty(PlacedProperty, true);

    const QByteArray saved = userSettings().value(keyFor(window)).toByteArray();
    if (!saved.isEmpty())
        window->restoreGeometry(saved);
    if (window->isMaximized() || window->isFullScreen())
        return;

    QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    // Before the window manager has framed it, the frame equals the window.
    const QMargins frame = outer != inner
        ? QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom())
        : GuessedFrame;
    const QRect wanted = inner.marginsAdded(frame);
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize())
                            .grownBy(frame);
    const QRect fit = fitted(wanted, screen->availableGeometry(), least);
    if (fit != wanted)
        window->setGeometry(fit.marginsRemoved(frame));
}

void WindowPlacement::remember(QWidget *window)
{
    if (!window->property(PlacedProperty).toBool())
        return;
    userSettings().setValue(keyFor(window), window->saveGeometry());
}
