#pragma once

#include "bills/BillSearch.h"
#include "lists/ui/ListWindow.h"

#include <QString>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// 账单查询: the bills by a text column, checkout time, payment method and
// state; printing, Excel, a bill's lines, and "撤销结帐" on the current bill.
class TZdCxFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TZdCxFm(Session &session, QWidget *parent = nullptr);

    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;
    QDateEdit *fromDate() const;
    QTimeEdit *fromTime() const;
    QDateEdit *toDate() const;
    QTimeEdit *toTime() const;
    QCheckBox *methodCheck() const;
    QComboBox *methodBox() const;
    QCheckBox *stateCheck() const;
    QComboBox *stateBox() const;
    QPushButton *button(const QString &caption) const;
    // The grid's pop-up menu entry.
    QAction *reverseAction() const { return m_reverse; }

public slots:
    void print();
    void showDetail();
    void reverseCheckout();

private:
    QAction *m_reverse;
};
