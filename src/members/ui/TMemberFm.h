#pragma once

#include "lists/ui/ListWindow.h"
#include "report/ListReport.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

// The member list: search by one column, add, change, delete, print,
// Excel, and "充值" for the current member.
class TMemberFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TMemberFm(Session &session, QWidget *parent = nullptr);

    QComboBox *fieldBox() const { return m_field; }
    QLineEdit *valueBox() const { return m_value; }
    QPushButton *findButton() const { return m_find; }

    // The printed list, over the rows shown.
    static ListReport report();

public slots:
    void search();
    void showAll();
    void addMember();
    void editMember();
    void deleteMember();
    void recharge();

signals:
    // "充值" on the current member (an empty card without one). The
    // navigator opens the recharge window; the list is read again after it.
    void rechargeRequested(const QString &card);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString currentCard() const;

    QComboBox *m_field;
    QLineEdit *m_value;
    QPushButton *m_find;
};
