#pragma once

#include "lists/ui/ListWindow.h"

class QComboBox;
class QLineEdit;

// 员工工资表: every salary payment, or those whose chosen column holds a
// value.
class TGongZiRecordFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TGongZiRecordFm(Session &session, QWidget *parent = nullptr);

    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;

public slots:
    void print();
};
