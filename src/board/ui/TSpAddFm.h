#pragma once

#include <QDialog>

class PlateSettings;
class QComboBox;
class QLineEdit;
struct Session;

// The range dialog: adds free plates numbered from a start to an end value
// with a common prefix to one room. Accepted when it has run.
class TSpAddFm : public QDialog
{
    Q_OBJECT

public:
    TSpAddFm(Session &session, PlateSettings &settings, const QStringList &rooms,
             const QString &currentRoom, QWidget *parent = nullptr);

    QLineEdit *startEdit() const { return m_start; }
    QLineEdit *endEdit() const { return m_end; }
    QLineEdit *prefixEdit() const { return m_prefix; }
    QComboBox *roomBox() const { return m_room; }

public slots:
    void save();

private:
    Session &m_session;
    PlateSettings &m_settings;
    QLineEdit *m_start;
    QLineEdit *m_end;
    QLineEdit *m_prefix;
    QComboBox *m_room;
};
