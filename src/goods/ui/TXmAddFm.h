#pragma once

#include <QDialog>

class GoodsForm;
class QPushButton;
struct Session;

// The add screen: one new goods item at a time. After "保存完成!" the boxes
// are cleared and the screen stays open for the next item; saved() tells
// the list to read itself again.
class TXmAddFm : public QDialog
{
    Q_OBJECT

public:
    explicit TXmAddFm(Session &session, QWidget *parent = nullptr);

    GoodsForm *form() const { return m_form; }
    QPushButton *saveButton() const { return m_save; }
    // Whether 进价 and 数量 are offered (the chosen type keeps stock).
    bool stockFieldsShown() const;

public slots:
    void save();

signals:
    void saved();

private:
    // Offers 进价 and 数量 only for a type that keeps stock; hiding keeps
    // what they hold.
    void ShowNumItem();

    Session &m_session;
    GoodsForm *m_form;
    QPushButton *m_save;
    bool m_stockShown = false;
};
