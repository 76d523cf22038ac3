#pragma once

#include <QDialog>

class PlateSettings;
class QLineEdit;
struct Session;

// The room dialog of the plates and rooms window: adds a room, or edits
// the one it was opened on. Accepted when the room was saved.
class TBaoXiangFm : public QDialog
{
    Q_OBJECT

public:
    // `originalName` empty: mode "添加"; otherwise "修改" of that room.
    TBaoXiangFm(Session &session, PlateSettings &settings, const QString &originalName,
                QWidget *parent = nullptr);

    void setValues(const QString &name, const QString &ticketPrice, const QString &minimum);
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *ticketEdit() const { return m_ticket; }
    QLineEdit *minimumEdit() const { return m_minimum; }

public slots:
    void save();

private:
    Session &m_session;
    PlateSettings &m_settings;
    QString m_originalName;
    QLineEdit *m_name;
    QLineEdit *m_ticket;
    QLineEdit *m_minimum;
};
