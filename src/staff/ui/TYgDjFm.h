#pragma once

#include "lists/ui/RecordScreen.h"

#include <QWidget>

struct Session;

// Employee levels and the base salary of each.
class TYgDjFm : public RecordScreen
{
    Q_OBJECT

public:
    explicit TYgDjFm(Session &session, QWidget *parent = nullptr);

    static RecordScreenDescription describe();
};
