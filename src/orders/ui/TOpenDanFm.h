#pragma once

#include "orders/OrderOpening.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
struct Session;

// "开单": opens an order on the board's selected plate, optionally joining
// further free plates into its group. Accepted when the order was written.
class TOpenDanFm : public QDialog
{
    Q_OBJECT

public:
    TOpenDanFm(Session &session, const QString &plate, const QString &room,
               QWidget *parent = nullptr);

    QListWidget *freeList() const { return m_free; }
    QTreeWidget *chosenList() const { return m_chosen; }
    QLineEdit *customerEdit() const { return m_customer; }
    QPlainTextEdit *remarkEdit() const { return m_remark; }
    QPushButton *openButton() const { return m_open; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *roomButton() const { return m_roomOnly; }
    QPushButton *allButton() const { return m_all; }
    QLabel *ticketLabel() const { return m_ticket; }
    QLabel *roomLabel() const { return m_roomName; }
    // The chosen plates, the main plate first.
    QStringList chosenPlates() const;

public slots:
    void moveToChosen();
    void moveToFree();
    void showRoomPlates();
    void showAllPlates();
    void openOrder();

private:
    // Fills the free list, leaving out the plates already chosen.
    void fillFree(const QStringList &plates);

    Session &m_session;
    QString m_plate;
    QString m_room;
    OrderOpening m_opening;
    QLabel *m_ticket;
    QLabel *m_roomName;
    QLineEdit *m_customer;
    QTabWidget *m_pages;
    QListWidget *m_free;
    QTreeWidget *m_chosen;
    QPlainTextEdit *m_remark;
    QPushButton *m_add;
    QPushButton *m_remove;
    QPushButton *m_roomOnly;
    QPushButton *m_all;
    QPushButton *m_open;
    QPushButton *m_cancel;
};
