#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct Session;

// "数据库设置": which database the next start uses. The embedded file can
// be chosen at once; a server only after a successful test of its fields.
class TSetDataFm : public QDialog
{
    Q_OBJECT

public:
    explicit TSetDataFm(Session &session, QWidget *parent = nullptr);

    QRadioButton *embeddedButton() const { return m_embedded; }
    QRadioButton *serverButton() const { return m_serverChoice; }
    QGroupBox *serverGroup() const { return m_serverGroup; }
    QLineEdit *serverEdit() const { return m_server; }
    QLineEdit *databaseEdit() const { return m_database; }
    QLineEdit *userEdit() const { return m_user; }
    QLineEdit *passwordEdit() const { return m_password; }
    QPushButton *saveButton() const { return m_save; }

public slots:
    void chooseEmbedded();
    void chooseServer();
    void testServer();
    void save();
    void leave();

private:
    Session &m_session;
    QRadioButton *m_embedded;
    QRadioButton *m_serverChoice;
    QGroupBox *m_serverGroup;
    QLineEdit *m_server;
    QLineEdit *m_database;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_test;
    QPushButton *m_save;
    QPushButton *m_leave;
    // The fields as they were when a test last succeeded.
    QStringList m_tested;
};
