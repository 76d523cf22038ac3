#pragma once

#include "lists/ui/ListWindow.h"
#include "orders/ConsumptionBooking.h"

class QLineEdit;

// 选择服务生: picks the employee who serves a line being booked.
class TFwsXzFm : public ListWindow
{
    Q_OBJECT

public:
    // How the chooser was left: an employee chosen, "取消" pressed, or the
    // window closed otherwise (the line keeps "n").
    enum class Outcome { Chosen, Cancelled, Closed };

    explicit TFwsXzFm(Session &session, QWidget *parent = nullptr);

    Outcome outcome() const { return m_outcome; }
    // The chosen employee; meaningful when outcome() is Chosen.
    const ConsumptionBooking::Employee &employee() const { return m_employee; }

    QLineEdit *nameBox() const { return m_name; }
    QLineEdit *numberBox() const { return m_number; }

public slots:
    void findByName();
    void findByNumber();
    void choose();
    void cancelChoice();

private:
    QLineEdit *m_name;
    QLineEdit *m_number;
    Outcome m_outcome = Outcome::Closed;
    ConsumptionBooking::Employee m_employee;
};
