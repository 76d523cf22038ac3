#pragma once

#include <QDialog>

class QPushButton;
class Money;

// "请再次确认!": the amounts in large type before a bill is settled as
// paid. Only "确定" confirms; "取消", Esc and anything else go back to the
// checkout with nothing written.
class TCheckOutInfoFm : public QDialog
{
    Q_OBJECT

public:
    TCheckOutInfoFm(Money due, Money received, Money cardDeduction, QWidget *parent = nullptr);

    // Shows the window modally; true only when "确定" was pressed.
    bool confirm();
    bool confirmed() const { return m_confirmed; }

    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QPushButton *m_ok;
    QPushButton *m_cancel;
    bool m_confirmed = false;
};
