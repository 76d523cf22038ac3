#pragma once

#include "lists/ui/ListWindow.h"

class QDateEdit;
class QListWidget;

// 营业项目统计: quantity and amount per goods name over the settled lines
// of a range of days, for every type or the type chosen on the left.
class TItemCountFm : public ListWindow
{
    Q_OBJECT

public:
    explicit TItemCountFm(Session &session, QWidget *parent = nullptr);

    QDateEdit *firstDate() const;
    QDateEdit *lastDate() const;
    QListWidget *typeList() const { return m_types; }
    // The chosen type: the selected entry, or 全部 when none is.
    QString chosenType() const;

public slots:
    // FreshDate: counts again with the days and the type chosen.
    void FreshDate();
    void print();

protected:
    // The bar's days and the type chosen.
    std::optional<ListFilter> searchFilter() const override;

private:
    QListWidget *m_types;
};
