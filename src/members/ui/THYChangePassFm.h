#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
struct Session;

// 会员更改密码: a member's password changed with the old one, or reset to
// the default by an operator with the right 会员修改.
class THYChangePassFm : public QDialog
{
    Q_OBJECT

public:
    explicit THYChangePassFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *cardBox() const { return m_card; }
    QLineEdit *oldPassword() const { return m_old; }
    QLineEdit *newPassword() const { return m_new; }
    QLineEdit *confirmation() const { return m_confirm; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *closeButton() const { return m_close; }
    QPushButton *resetButton() const { return m_reset; }

public slots:
    void savePassword();
    void resetPassword();

private:
    Session &m_session;
    QLineEdit *m_card;
    QLineEdit *m_old;
    QLineEdit *m_new;
    QLineEdit *m_confirm;
    QPushButton *m_save;
    QPushButton *m_close;
    QPushButton *m_reset;
};
