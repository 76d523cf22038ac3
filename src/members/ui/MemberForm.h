#pragma once

#include "members/MemberStore.h"

#include <QGroupBox>
#include <QStringList>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

// The boxes of one member, shared by the add window (TMemberAddFm) and the
// edit window (TMemberEditFm): editable drop-downs for sex and type that
// add nothing to their lists, and what the boxes make of a member. Each
// window keeps its own group caption, captions and order. The add window
// has a multi-line note preset to "无"; the edit window shows balance,
// points and state read-only, the registration date, and date boxes that
// can stand for no date.
class MemberForm : public QGroupBox
{
    Q_OBJECT

public:
    enum class Kind {
        NewMember,    // the add window
        StoredMember, // the edit window
    };

    explicit MemberForm(Kind kind, QWidget *parent = nullptr);

    // The type names offered; a new member starts on the first.
    void setTypes(const QStringList &types);
    // A stored member as it is (the edit window's).
    void showMember(const MemberStore::Member &member);
    // `base` with what the boxes hold written over it.
    MemberStore::Member edited(MemberStore::Member base) const;
    // The add window's "清空": card number, name and phone emptied, sex
    // "男", note "无", the cursor in the card number; type and birth date
    // stay.
    void clearInput();

    QLineEdit *cardBox() const { return m_card; }
    QLineEdit *nameBox() const { return m_name; }
    QComboBox *typeBox() const { return m_type; }
    QComboBox *sexBox() const { return m_sex; }
    QDateEdit *birthBox() const { return m_birth; }
    QLineEdit *phoneBox() const { return m_phone; }
    // The add window's note; null on the edit window.
    QPlainTextEdit *noteBox() const { return m_noteLines; }
    // The edit window's note and read-only figures; null on the add window.
    QLineEdit *noteLine() const { return m_noteLine; }
    QLineEdit *balanceBox() const { return m_balance; }
    QLineEdit *pointsBox() const { return m_points; }
    QLineEdit *stateBox() const { return m_state; }
    QDateEdit *registeredBox() const { return m_registered; }

private:
    Kind m_kind;
    QLineEdit *m_card;
    QLineEdit *m_name;
    QComboBox *m_type;
    QComboBox *m_sex;
    QDateEdit *m_birth;
    QLineEdit *m_phone;
    QPlainTextEdit *m_noteLines = nullptr;
    QLineEdit *m_noteLine = nullptr;
    QLineEdit *m_balance = nullptr;
    QLineEdit *m_points = nullptr;
    QLineEdit *m_state = nullptr;
    QDateEdit *m_registered = nullptr;
};
