#pragma once

#include "members/MemberStore.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
struct Session;

// Changes one member, read afresh by card number when the window opens.
// Balance, points and state are shown only. "取消" discards the changes.
class TMemberEditFm : public QDialog
{
    Q_OBJECT

public:
    TMemberEditFm(Session &session, const QString &card, QWidget *parent = nullptr);

    // False when the member could not be read (the reason was shown); the
    // window is then not to be opened.
    bool isLoaded() const { return m_loaded; }
    // The card number the member has after "保存".
    const QString &savedCard() const { return m_saved; }

    QLineEdit *cardBox() const { return m_card; }
    QLineEdit *nameBox() const { return m_name; }
    QComboBox *sexBox() const { return m_sex; }
    QComboBox *typeBox() const { return m_type; }
    QLineEdit *balanceBox() const { return m_balance; }
    QLineEdit *pointsBox() const { return m_points; }
    QLineEdit *stateBox() const { return m_state; }
    QDateEdit *birthBox() const { return m_birth; }
    QDateEdit *registeredBox() const { return m_registered; }
    QLineEdit *phoneBox() const { return m_phone; }
    QLineEdit *noteBox() const { return m_note; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }

public slots:
    void save();

private:
    void showMember(const MemberStore::Member &member);
    // The form as the operator left it.
    MemberStore::Member edited() const;

    Session &m_session;
    MemberStore::Member m_shown;
    bool m_loaded = false;
    QString m_saved;
    QLineEdit *m_card;
    QLineEdit *m_name;
    QComboBox *m_sex;
    QComboBox *m_type;
    QLineEdit *m_balance;
    QLineEdit *m_points;
    QLineEdit *m_state;
    QDateEdit *m_birth;
    QDateEdit *m_registered;
    QLineEdit *m_phone;
    QLineEdit *m_note;
    QPushButton *m_save;
    QPushButton *m_cancel;
};
