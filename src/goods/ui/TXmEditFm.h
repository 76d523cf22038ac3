#pragma once

#include "goods/GoodsCatalogue.h"

#include <QDialog>

class GoodsForm;
class QPushButton;
struct Session;

// The edit screen for one goods item. Nothing is written except by "保存",
// which saves only while the item still holds what the screen read;
// "取消修改" and "关闭" both leave the item as it is. Accepted when saved.
class TXmEditFm : public QDialog
{
    Q_OBJECT

public:
    TXmEditFm(Session &session, int itemId, QWidget *parent = nullptr);

    // The fields, disabled without the right to edit.
    GoodsForm *form() const { return m_form; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *closeButton() const { return m_close; }

public slots:
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Session &m_session;
    GoodsCatalogue::Item m_shown;
    bool m_mayEdit;
    bool m_refusalShown = false;
    GoodsForm *m_form;
    QPushButton *m_save;
    QPushButton *m_cancel;
    QPushButton *m_close;
};
