#pragma once

#include "lists/ui/RecordScreen.h"

#include <QWidget>

struct Session;

// Goods types and the flags that decide, for every item of a type, whether
// stock is kept and whether it takes part in the checkout discount.
class TXmKindFm : public RecordScreen
{
    Q_OBJECT

public:
    explicit TXmKindFm(Session &session, QWidget *parent = nullptr);

    static RecordScreenDescription describe();
};
