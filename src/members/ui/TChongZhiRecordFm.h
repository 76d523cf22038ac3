#pragma once

#include "lists/ui/ListWindow.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// 充值记录查询: the recharges, found by one column's whole value and, when
// chosen, by the day or the moment they were made.
class TChongZhiRecordFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TChongZhiRecordFm(Session &session, QWidget *parent = nullptr);

    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;
    QCheckBox *dateBox() const;
    QDateEdit *firstDate() const;
    QDateEdit *lastDate() const;
    QCheckBox *timeBox() const;
    QTimeEdit *firstTime() const;
    QTimeEdit *lastTime() const;
    QPushButton *searchButton() const;
};
