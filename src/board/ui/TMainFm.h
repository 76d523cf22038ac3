#pragma once

#include <QMainWindow>

struct Session;

// The plate board: the window the front desk works in all day.
class TMainFm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainFm(Session &session, QWidget *parent = nullptr);

    // Skips the closing question (tests, and the end after a restore).
    void setAskOnClose(bool ask) { m_askOnClose = ask; }

public slots:
    void openOperators();
    void openPasswordChange();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    Session &m_session;
    bool m_askOnClose = true;
};
