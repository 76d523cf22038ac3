#pragma once

#include "members/MemberStore.h"

#include <QDialog>
#include <QString>

class MemberForm;
class QPushButton;
struct Session;

// Changes one member, read afresh by card number when the window opens.
// Balance, points and state are shown only. "取消" discards the changes.
class TMemberEditFm : public QDialog
{
    Q_OBJECT

public:
    TMemberEditFm(Session &session, const QString &card, QWidget *parent = nullptr);

    // False when the member could not be read (the reason was shown); the
    // window is then not to be opened.
    bool isLoaded() const { return m_loaded; }
    // The card number the member has after "保存".
    const QString &savedCard() const { return m_saved; }

    MemberForm *form() const { return m_form; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }

public slots:
    void save();

private:
    Session &m_session;
    MemberStore::Member m_shown;
    bool m_loaded = false;
    QString m_saved;
    MemberForm *m_form;
    QPushButton *m_save;
    QPushButton *m_cancel;
};
