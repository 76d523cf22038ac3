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

    QDateEdit *fromDate() const;
    QTimeEdit *fromTime() const;
    QDateEdit *toDate() const;
    QTimeEdit *toTime() const;
    QCheckBox *timeCheck() const;
    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;
    QPushButton *button(const QString &caption) const;
    QLabel *takingsLabel() const { return m_takings; }
    QLabel *countLabel() const { return m_count; }

public slots:
    // The bar back to today, today's lines and the two day labels.
    void FreshDate();
    void print();

private:
    QLabel *m_takings;
    QLabel *m_count;
};
