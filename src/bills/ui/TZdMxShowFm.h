#pragma once

#include "lists/ui/ListWindow.h"

#include <QString>

class QLabel;
class QPushButton;

// 账单明细显示: one bill's header amounts in large type and its lines, of
// every plate the bill covered.
class TZdMxShowFm : public ListWindow
{
    Q_OBJECT

public:
    // The bill as the bill query's current row shows it.
    struct Bill
    {
        QString number;
        QString plate;
        QString due;      // 应收金额, as shown
        QString received; // 实收金额, as shown
    };

    TZdMxShowFm(Session &session, const Bill &bill, QWidget *parent = nullptr);

    // The four labels, top to bottom.
    QList<QLabel *> labels() const { return m_labels; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *excelButton() const { return m_excel; }

private:
    QList<QLabel *> m_labels;
    QPushButton *m_ok;
    QPushButton *m_excel;
};
