#pragma once

#include <QHeaderView>
#include <QStringList>

class QStandardItemModel;
class QTableView;

// The footer row under a list's grid: one text per column (a row count, a
// sum), kept under its column as the operator resizes and scrolls.
class FooterBar : public QHeaderView
{
    Q_OBJECT

public:
    explicit FooterBar(QTableView *grid, QWidget *parent = nullptr);

    void setTexts(const QStringList &texts);
    QString text(int column) const;

private:
    void followGrid();

    QTableView *m_grid;
    QStandardItemModel *m_texts;
};
