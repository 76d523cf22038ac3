#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
struct Session;

// The signed-in operator changes their own password.
class TAdminChangePassFm : public QDialog
{
    Q_OBJECT

public:
    explicit TAdminChangePassFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *oldPassword() const { return m_old; }
    QLineEdit *newPassword() const { return m_new; }
    QLineEdit *confirmation() const { return m_confirm; }

public slots:
    void savePassword();

private:
    Session &m_session;
    QLineEdit *m_old;
    QLineEdit *m_new;
    QLineEdit *m_confirm;
};
