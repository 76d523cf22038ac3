#include "FocusFrameStyle.h"

#include <QStyleOption>

namespace {

template<typename Option>
bool drawShowingFocus(const QProxyStyle &style, QStyle::PrimitiveElement element,
                      const QStyleOption *option, QPainter *painter, const QWidget *widget)
{
    const auto *typed = qstyleoption_cast<const Option *>(option);
    if (!typed)
        return false;
    Option shown(*typed);
    shown.state |= QStyle::State_KeyboardFocusChange;
    style.QProxyStyle::drawPrimitive(element, &shown, painter, widget);
    return true;
}

} // namespace

void FocusFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                    QPainter *painter, const QWidget *widget) const
{
    if (option && (option->state & State_HasFocus)
        && !(option->state & State_KeyboardFocusChange)) {
        if (drawShowingFocus<QStyleOptionFocusRect>(*this, element, option, painter, widget)
            || drawShowingFocus<QStyleOptionButton>(*this, element, option, painter, widget))
            return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
