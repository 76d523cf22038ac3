#pragma once

#include <QDialog>

class QLabel;
struct Session;

// "关于": the product texts of system.ini and the database in use.
class TAboutFm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutFm(Session &session, QWidget *parent = nullptr);

    // The texts shown, top to bottom.
    QStringList lines() const;

private:
    QList<QLabel *> m_lines;
};
