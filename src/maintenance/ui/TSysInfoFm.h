#pragma once

#include <QDialog>

class QLineEdit;
struct Session;

// "系统信息设置": the shop's name, telephone and address for receipts.
class TSysInfoFm : public QDialog
{
    Q_OBJECT

public:
    explicit TSysInfoFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *telEdit() const { return m_tel; }
    QLineEdit *addressEdit() const { return m_address; }

public slots:
    void save();

private:
    Session &m_session;
    QLineEdit *m_name;
    QLineEdit *m_tel;
    QLineEdit *m_address;
};
