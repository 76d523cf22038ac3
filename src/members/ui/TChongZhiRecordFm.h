#pragma once

#include "lists/ui/ListWindow.h"

#include <optional>

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

    QComboBox *fieldBox() const { return m_field; }
    QLineEdit *valueBox() const { return m_value; }
    QCheckBox *dateBox() const { return m_byDate; }
    QDateEdit *firstDate() const { return m_first; }
    QDateEdit *lastDate() const { return m_last; }
    QCheckBox *timeBox() const { return m_byTime; }
    QTimeEdit *firstTime() const { return m_firstTime; }
    QTimeEdit *lastTime() const { return m_lastTime; }
    QPushButton *searchButton() const { return m_search; }

public slots:
    void search();

private:
    // The chosen range: whole days, or to the second with times.
    std::optional<ListFilter::Range> period() const;
    void enableRange();

    QComboBox *m_field;
    QLineEdit *m_value;
    QCheckBox *m_byDate;
    QDateEdit *m_first;
    QTimeEdit *m_firstTime;
    QDateEdit *m_last;
    QTimeEdit *m_lastTime;
    QCheckBox *m_byTime;
    QPushButton *m_search;
};
