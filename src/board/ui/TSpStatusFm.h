#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
struct Session;

// The plate status window: sets a plate that is not occupied to free,
// reserved or disabled. Accepted when the state was changed.
class TSpStatusFm : public QDialog
{
    Q_OBJECT

public:
    TSpStatusFm(Session &session, const QString &plate, QWidget *parent = nullptr);

    QString shownState() const;
    QPushButton *button(const QString &caption) const;

public slots:
    void changeTo(const QString &target);

private:
    Session &m_session;
    QString m_plate;
    QLabel *m_state;
    QList<QPushButton *> m_buttons;
};
