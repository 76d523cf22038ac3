#pragma once

#include "lists/ui/ListWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QShowEvent;

// 消费查询: the occupied plates and the open lines of the plate shown,
// with their total, read on every showing. The first plate is shown with
// its own lines; a plate clicked or searched for is shown with its whole
// group.
class TXfCxFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TXfCxFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *searchBox() const { return m_search; }
    QListWidget *plateList() const { return m_plates; }
    QString shownPlate() const;
    QString shownTotal() const;

public slots:
    void showGroupOf(const QString &plate);
    void findPlate();
    void print();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void readPlates();
    // The total of what the list now shows.
    void showTotal();

    QLineEdit *m_search;
    QListWidget *m_plates;
    QLabel *m_plate;
    QLabel *m_total;
};
