#pragma once

#include "lists/ui/ListWindow.h"
#include "report/ListReport.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// 会员消费查询: every bill, members' and walk-in customers' alike, searched
// for a value anywhere in one column.
class THYConsumeCXFm : public ListWindow
{
    Q_OBJECT

public:
    explicit THYConsumeCXFm(Session &session, QWidget *parent = nullptr);

    QComboBox *fieldBox() const { return m_field; }
    QLineEdit *valueBox() const { return m_value; }
    QPushButton *searchButton() const { return m_search; }
    QPushButton *printButton() const { return m_print; }

    // The printed list, over the rows shown.
    static ListReport report();

public slots:
    void search();

private:
    QComboBox *m_field;
    QLineEdit *m_value;
    QPushButton *m_search;
    QPushButton *m_print;
};
