#pragma once

#include "bills/LineSearch.h"
#include "lists/ui/ListWindow.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// 账单明细: today's settled lines with the day's takings, and a search over
// every settled line by one column and, ticked, the consumption time.
class TZdMxFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TZdMxFm(Session &session, QWidget *parent = nullptr);

    QDateEdit *fromDate() const { return m_fromDate; }
    QTimeEdit *fromTime() const { return m_fromTime; }
    QDateEdit *toDate() const { return m_toDate; }
    QTimeEdit *toTime() const { return m_toTime; }
    QCheckBox *timeCheck() const { return m_byTime; }
    QComboBox *fieldBox() const { return m_field; }
    QLineEdit *valueBox() const { return m_value; }
    QPushButton *button(const QString &caption) const;
    QLabel *takingsLabel() const { return m_takings; }
    QLabel *countLabel() const { return m_count; }

    // What the bar asks for now.
    LineSearch searchValues() const;

public slots:
    // The bar back to today, today's lines and the two day labels.
    void FreshDate();
    void search();
    void print();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QDateEdit *m_fromDate;
    QTimeEdit *m_fromTime;
    QDateEdit *m_toDate;
    QTimeEdit *m_toTime;
    QCheckBox *m_byTime;
    QComboBox *m_field;
    QLineEdit *m_value;
    QLabel *m_takings;
    QLabel *m_count;
};
