#pragma once

#include "board/PlateSettings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
struct Session;

// The plate dialog: edits one plate's number, room and state. It saves only
// while the plate still holds what the dialog shows. Accepted when the plate
// was saved.
class TSpEditFm : public QDialog
{
    Q_OBJECT

public:
    TSpEditFm(Session &session, PlateSettings &settings, int number,
              const PlateSettings::PlateFields &shown, const QStringList &rooms,
              QWidget *parent = nullptr);

    QLineEdit *plateEdit() const { return m_plate; }
    QComboBox *roomBox() const { return m_room; }
    QComboBox *stateBox() const { return m_state; }
    QPushButton *saveButton() const { return m_save; }

public slots:
    void save();

private:
    Session &m_session;
    PlateSettings &m_settings;
    int m_number;
    PlateSettings::PlateFields m_shown;
    QLineEdit *m_plate;
    QComboBox *m_room;
    QComboBox *m_state;
    QPushButton *m_save;
};
