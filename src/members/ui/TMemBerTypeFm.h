#pragma once

#include "lists/ui/RecordScreen.h"

#include <QWidget>

struct Session;

// Member types with their starting points and the discount rate a member
// of the type pays at checkout. Typing into the boxes changes the current
// type; the window is left only through "退出".
class TMemBerTypeFm : public RecordScreen
{
    Q_OBJECT

public:
    explicit TMemBerTypeFm(Session &session, QWidget *parent = nullptr);

    static RecordScreenDescription describe();
    // Refuses a type without a name and a rate that is missing, no number,
    // below 0 or past the amount range, saying which.
    static SaveCheck checkEntry(const RecordEntry &entry);
};
