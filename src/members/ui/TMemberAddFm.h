#pragma once

#include <QDialog>
#include <QString>

class MemberForm;
class QPushButton;
struct Session;

// Adds one member. Closes after "保存成功!"; the list reads itself again
// whenever this window closes.
class TMemberAddFm : public QDialog
{
    Q_OBJECT

public:
    explicit TMemberAddFm(Session &session, QWidget *parent = nullptr);

    MemberForm *form() const { return m_form; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *clearButton() const { return m_clear; }

    // The card number saved, empty until a member was added.
    const QString &addedCard() const { return m_added; }

public slots:
    void save();
    void clearInput();

private:
    Session &m_session;
    MemberForm *m_form;
    QPushButton *m_save;
    QPushButton *m_clear;
    QString m_added;
};
