#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct Session;

// Adds one member. Closes after "保存成功!"; the list reads itself again
// whenever this window closes.
class TMemberAddFm : public QDialog
{
    Q_OBJECT

public:
    explicit TMemberAddFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *cardBox() const { return m_card; }
    QLineEdit *nameBox() const { return m_name; }
    QComboBox *typeBox() const { return m_type; }
    QComboBox *sexBox() const { return m_sex; }
    QDateEdit *birthBox() const { return m_birth; }
    QLineEdit *phoneBox() const { return m_phone; }
    QPlainTextEdit *noteBox() const { return m_note; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *clearButton() const { return m_clear; }

    // The card number saved, empty until a member was added.
    const QString &addedCard() const { return m_added; }

public slots:
    void save();
    void clearInput();

private:
    Session &m_session;
    QLineEdit *m_card;
    QLineEdit *m_name;
    QComboBox *m_type;
    QComboBox *m_sex;
    QDateEdit *m_birth;
    QLineEdit *m_phone;
    QPlainTextEdit *m_note;
    QPushButton *m_save;
    QPushButton *m_clear;
    QString m_added;
};
