#pragma once

#include "lists/ui/ListWindow.h"

class QDateEdit;

// 服务生提成统计: the commission of every employee over the settled lines,
// all of them at first, then those booked between two days.
class TFwsTcTjFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TFwsTcTjFm(Session &session, QWidget *parent = nullptr);

    QDateEdit *firstDate() const;
    QDateEdit *lastDate() const;
};
