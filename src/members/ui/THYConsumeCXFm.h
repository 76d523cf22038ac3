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

    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;
    QPushButton *searchButton() const;
    QPushButton *printButton() const;

    // The printed list, over the rows shown.
    static ListReport report();
};
