#pragma once

#include <QProxyStyle>

// The application's style with a focus frame that is always drawn. Qt's
// styles draw the frame around a focused button, tick box or grid cell only
// once the operator has pressed Tab in that window, so a receptionist who
// clicked a button or opened a window with the focus set cannot see where
// Enter and Space will go. This style draws it whenever a control has the
// focus, whatever moved it there.
class FocusFrameStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
