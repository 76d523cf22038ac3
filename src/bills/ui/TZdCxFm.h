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

    QComboBox *fieldBox() const { return m_field; }
    QLineEdit *valueBox() const { return m_value; }
    QDateEdit *fromDate() const { return m_fromDate; }
    QTimeEdit *fromTime() const { return m_fromTime; }
    QDateEdit *toDate() const { return m_toDate; }
    QTimeEdit *toTime() const { return m_toTime; }
    QCheckBox *methodCheck() const { return m_byMethod; }
    QComboBox *methodBox() const { return m_method; }
    QCheckBox *stateCheck() const { return m_byState; }
    QComboBox *stateBox() const { return m_state; }
    QPushButton *button(const QString &caption) const;
    // The grid's pop-up menu entry.
    QAction *reverseAction() const { return m_reverse; }

    // What the bar asks for now.
    BillSearch searchValues() const;

public slots:
    void search();
    void print();
    void showDetail();
    void reverseCheckout();

private:
    QComboBox *m_field;
    QLineEdit *m_value;
    QDateEdit *m_fromDate;
    QTimeEdit *m_fromTime;
    QDateEdit *m_toDate;
    QTimeEdit *m_toTime;
    QCheckBox *m_byMethod;
    QComboBox *m_method;
    QCheckBox *m_byState;
    QComboBox *m_state;
    QAction *m_reverse;
};
