#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Session;

// The sign-in window: pick an operator, type the password, and the
// context gets the operator's name and rights.
class TLgFm : public QDialog
{
    Q_OBJECT

public:
    explicit TLgFm(Session &session, QWidget *parent = nullptr);

    // Fills the operator list; shows the database's text when it fails.
    void loadOperators();

    QComboBox *nameBox() const { return m_name; }
    QLineEdit *passwordBox() const { return m_password; }
    QPushButton *signInButton() const { return m_signIn; }

public slots:
    void signIn();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void moveToPassword();

    Session &m_session;
    QLabel *m_banner;
    QComboBox *m_name;
    QLineEdit *m_password;
    QPushButton *m_signIn;
    QPushButton *m_leave;
};
