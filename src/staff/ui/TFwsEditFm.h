#pragma once

#include "staff/EmployeeStore.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct Session;

// The employee form ("员工"): adds an employee, or changes the one the list
// showed. Accepted once the row is saved; a refused save keeps it open with
// what was typed.
class TFwsEditFm : public QDialog
{
    Q_OBJECT

public:
    // The list's button that opened the form: "添加" or "修改".
    enum class Mode { Add, Change };

    // In Change mode `shown` is the list's current row (EmployeeStore::columns()).
    TFwsEditFm(Session &session, Mode mode, const EmployeeStore::Shown &shown = {},
               QWidget *parent = nullptr);

    Mode mode() const { return m_mode; }
    // The code as saved, for the list to show the row.
    const QString &savedCode() const { return m_savedCode; }

    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *nameEdit() const { return m_name; }
    QComboBox *sexBox() const { return m_sex; }
    QComboBox *levelBox() const { return m_level; }
    QLineEdit *phoneEdit() const { return m_phone; }
    QLineEdit *idNumberEdit() const { return m_idNumber; }
    QPlainTextEdit *noteEdit() const { return m_note; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *exitButton() const { return m_exit; }

public slots:
    void save();

private:
    void showEmployee(const EmployeeStore::Employee &employee);
    EmployeeStore::Employee typed() const;

    Session &m_session;
    Mode m_mode;
    EmployeeStore::Shown m_shown;
    QString m_savedCode;
    QLineEdit *m_code;
    QLineEdit *m_name;
    QComboBox *m_sex;
    QComboBox *m_level;
    QLineEdit *m_phone;
    QLineEdit *m_idNumber;
    QPlainTextEdit *m_note;
    QPushButton *m_save;
    QPushButton *m_exit;
};
