#pragma once

#include "lists/ui/ListWindow.h"
#include "orders/ConsumptionBooking.h"

class QLineEdit;

// 选择服务生: picks the employee who serves a line being booked.
class TFwsXzFm : public ListWindow
{
    Q_OBJECT

public:
    // How the chooser was left: an employee chosen, or not. "取消", Esc and
    // closing the window all leave without one, and the line is not booked:
    // a service booked on nobody (the code "n") would pay no commission and
    // show a code in every grid.
    enum class Outcome { Chosen, Cancelled };

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

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_name;
    QLineEdit *m_number;
    Outcome m_outcome = Outcome::Cancelled;
    ConsumptionBooking::Employee m_employee;
};
