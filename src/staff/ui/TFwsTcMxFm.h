#pragma once

#include "lists/ui/ListWindow.h"

class QComboBox;
class QLineEdit;

// 服务生提成明细: the settled lines with their commission and whether it
// was paid, all of them or those whose chosen column holds a value.
class TFwsTcMxFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TFwsTcMxFm(Session &session, QWidget *parent = nullptr);

    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;

public slots:
    void print();
};
