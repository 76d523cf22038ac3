#pragma once

#include "members/Recharge.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Session;

// 会员充值: money onto (or off) the card of the member list's current
// member. The member is read afresh by card number when the window opens;
// without one the boxes stay empty and "充值" says so.
class TChongZhiFm : public QDialog
{
    Q_OBJECT

public:
    // An empty card: the member list had no current member.
    TChongZhiFm(Session &session, const QString &card, QWidget *parent = nullptr);

    // False when the member could not be read (the reason was shown); the
    // window is then not to be opened.
    bool isLoaded() const { return m_loaded; }

    QLineEdit *cardBox() const { return m_card; }
    QLineEdit *balanceBox() const { return m_balance; }
    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *typeBox() const { return m_type; }
    QLineEdit *amountBox() const { return m_amount; }
    QLineEdit *noteBox() const { return m_note; }
    QCheckBox *negativeBox() const { return m_negative; }
    QLabel *operatorLabel() const { return m_operator; }
    QPushButton *rechargeButton() const { return m_recharge; }
    QPushButton *returnButton() const { return m_return; }

public slots:
    void recharge();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // "确定向会员卡 … 充值 N 元吗？" naming the balance after it; true to go on.
    bool confirm(const Recharge::Preview &preview);

    Session &m_session;
    Recharge::Member m_member;
    bool m_loaded = false;
    QLineEdit *m_card;
    QLineEdit *m_balance;
    QLineEdit *m_name;
    QLineEdit *m_type;
    QLineEdit *m_amount;
    QLineEdit *m_note;
    QCheckBox *m_negative;
    QLabel *m_operator;
    QPushButton *m_recharge;
    QPushButton *m_return;
};
