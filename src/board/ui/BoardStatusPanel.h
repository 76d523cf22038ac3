#pragma once

#include "board/PlateBoard.h"

#include <QHash>
#include <QWidget>

class QLineEdit;

// The right-hand side of the plate board: the clock, the fields of the plate
// last clicked, the totals per state and the quick find box. It only shows
// what the board window gives it; the window reads and fills it by caption.
class BoardStatusPanel : public QWidget
{
    Q_OBJECT

public:
    explicit BoardStatusPanel(QWidget *parent = nullptr);

    // The value shown after a caption ("当前状态:", "号牌总数", "时间:" …);
    // empty for an unknown caption.
    QString fieldText(const QString &caption) const;
    void setField(const QString &caption, const QString &text);

    // The five totals over all rooms.
    void showCounts(const PlateBoard::Counts &counts);
    // The fields of one plate, from "当前状态:" to "消费金额:".
    void showDetails(const PlateBoard::Details &details);
    // Empties the plate's number, its fields and the find box.
    void clearPlate();

    QLineEdit *findBox() const { return m_find; }
    // Puts the cursor in the find box with its text selected (F3).
    void focusFind();

private:
    QHash<QString, QWidget *> m_fields;
    QLineEdit *m_find = nullptr;
};
