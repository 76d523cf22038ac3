#pragma once

#include "lists/ui/ListWindow.h"

class QLineEdit;

// 商品项目管理: the goods catalogue, searched by name, with the entries to
// add, buy in, change and delete items.
class TXmFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TXmFm(Session &session, QWidget *parent = nullptr);

    QLineEdit *searchBox() const;

public slots:
    void showAll();
    void addItem();
    void buyCurrentItem();
    void editCurrentItem();
    void deleteCurrentItem();
    void print();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The current item's id; nothing when the list is empty.
    std::optional<int> currentItem() const;
};
