#pragma once

#include "board/PlateSettings.h"

#include <QDialog>

class QLineEdit;
struct Session;

// The room dialog of the plates and rooms window: adds a room (mode "添加"),
// or changes the one it was opened on (mode "修改"), as long as that room
// still holds what the window showed. Accepted when the room was saved.
class TBaoXiangFm : public QDialog
{
    Q_OBJECT

public:
    // `shown` is the room to change in mode "修改"; its values fill the boxes.
    TBaoXiangFm(Session &session, PlateSettings &settings, const QString &mode,
                const PlateSettings::Room &shown, QWidget *parent = nullptr);

    const QString &mode() const { return m_mode; }
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *ticketEdit() const { return m_ticket; }
    QLineEdit *minimumEdit() const { return m_minimum; }

public slots:
    void save();

private:
    Session &m_session;
    PlateSettings &m_settings;
    QString m_mode;
    PlateSettings::Room m_shown;
    QLineEdit *m_name;
    QLineEdit *m_ticket;
    QLineEdit *m_minimum;
};
