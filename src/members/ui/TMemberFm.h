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

    QComboBox *fieldBox() const;
    QLineEdit *valueBox() const;
    QPushButton *findButton() const;

    // The printed list, over the rows shown.
    static ListReport report();

public slots:
    void showAll();
    void addMember();
    void editMember();
    void deleteMember();
    void recharge();

signals:
    // "充值" on the current member (an empty card without one). The
    // navigator opens the recharge window; the list is read again after it.
    void rechargeRequested(const QString &card);

private:
    QString currentCard() const;
};
