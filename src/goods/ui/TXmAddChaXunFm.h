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

    QLineEdit *nameBox() const { return m_name; }
    QCheckBox *dateBox() const { return m_byDate; }
    QDateEdit *firstDate() const { return m_first; }
    QDateEdit *lastDate() const { return m_last; }

public slots:
    void search();
    void print();

private:
    QLineEdit *m_name;
    QCheckBox *m_byDate;
    QDateEdit *m_first;
    QDateEdit *m_last;
};
