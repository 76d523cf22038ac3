#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;
struct Session;

// "Pos打印机设置": the checkout print button's default and the receipt
// printer port, kept in system.ini.
class TPosPrtSetFm : public QDialog
{
    Q_OBJECT

public:
    explicit TPosPrtSetFm(Session &session, QWidget *parent = nullptr);

    QRadioButton *previewButton() const { return m_preview; }
    QRadioButton *directButton() const { return m_direct; }
    QComboBox *portBox() const { return m_port; }

public slots:
    void apply();

private:
    Session &m_session;
    QRadioButton *m_preview;
    QRadioButton *m_direct;
    QComboBox *m_port;
};
