#pragma once

#include "common/Money.h"
#include "orders/Checkout.h"
#include "orders/Settlement.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTableWidget;
struct Session;

// "顾客结帐": the bill of a plate and its group, from the lines to the
// money. The window shows and edits what Checkout keeps; settling is
// Settlement's. Accepted once the bill is settled, waived or cancelled;
// "退出[F5]" and Esc leave it unsettled.
class TCheckOutFm : public QDialog
{
    Q_OBJECT

public:
    // Asked before a paid bill is written: the amounts, true to go on.
    using Confirmation = std::function<bool(Money due, Money received, Money cardDeduction)>;

    TCheckOutFm(Session &session, const QString &plate, QWidget *parent = nullptr);

    // Replaces the "请再次确认!" window, for tests.
    void setConfirmation(Confirmation confirmation) { m_confirmation = std::move(confirmation); }

    const Checkout &checkout() const { return m_checkout; }
    // The number the bill was written under; empty until it is settled.
    const QString &settledNumber() const { return m_settledNumber; }

    QLineEdit *cardEdit() const { return m_cardEntry; }
    QLineEdit *passwordEdit() const { return m_password; }
    QLineEdit *rateEdit() const { return m_rate; }
    QLineEdit *receivedEdit() const { return m_received; }
    QLineEdit *remarkEdit() const { return m_remark; }
    QComboBox *paymentBox() const { return m_payment; }
    QTableWidget *lineGrid() const { return m_lines; }
    QListWidget *otherPlates() const { return m_others; }
    QListWidget *groupPlates() const { return m_group; }
    QLabel *valueLabel(const QString &caption) const;
    QRadioButton *previewButton() const { return m_preview; }
    QRadioButton *directButton() const { return m_direct; }

public slots:
    void lookUpCard();
    void identifyMember();
    void applyRate();
    void choosePayment(int index);
    void moveIn(QListWidgetItem *item);
    void moveOut(QListWidgetItem *item);
    void printReceipt();
    void settlePaid();
    void settleWaived();
    void settleCancelled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *memberPanel();
    QWidget *amountPanel();
    QWidget *platePanel();
    QLabel *addValue(const QString &caption);
    void showCheckout();
    void showLines();
    void showAmounts();
    void showPlates();
    bool takeReceived();
    // The question before a bill is waived or cancelled; true to go on.
    bool askUnpaid(Settlement::Status status);
    void settle(Settlement::Status status);

    Session &m_session;
    Checkout m_checkout;
    Settlement m_settlement;
    Confirmation m_confirmation;
    QString m_settledNumber;
    QHash<QString, QLabel *> m_values;
    QLineEdit *m_cardEntry;
    QLineEdit *m_password;
    QLineEdit *m_rate;
    QLineEdit *m_received;
    QLineEdit *m_remark;
    QComboBox *m_payment;
    QLabel *m_cardDeduction;
    QTableWidget *m_lines;
    QListWidget *m_others;
    QListWidget *m_group;
    QRadioButton *m_preview;
    QRadioButton *m_direct;
};
