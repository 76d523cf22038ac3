#pragma once

#include "lists/ui/ListWindow.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;

// 进货表统计: the stock purchases by name and by day, opening on today's.
class TXmAddChaXunFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TXmAddChaXunFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *nameBox() const;
    QCheckBox *dateBox() const;
    QDateEdit *firstDate() const;
    QDateEdit *lastDate() const;

public slots:
    void print();
};
