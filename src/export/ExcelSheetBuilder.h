#pragma once

#include "ExcelSheet.h"

#include <QString>

class Refusal;

// Gathers the cells a reader finds into an ExcelSheet. Row 1 (the titles)
// is kept whole, later rows up to `keptColumns`; every value counts towards
// the used range. A sheet whose kept cells pass the limits below is refused,
// so that no workbook can take the program's memory.
class ExcelSheetBuilder
{
public:
    static constexpr int AllColumns = 16384;
    static constexpr qsizetype MaxCells = 2'000'000;
    static constexpr qsizetype MaxCharacters = 16'000'000;

    explicit ExcelSheetBuilder(int keptColumns = AllColumns);

    // A cell, in any order; empty text is no value. A later text for the
    // same cell replaces the earlier one. Throws Refusal past a limit.
    void add(int row, int column, const QString &text);
    ExcelSheet take(QString name);

    // "…太大…" followed by what the user can do about it.
    static Refusal tooLarge(const QString &what);

private:
    int m_keptColumns;
    ExcelSheet m_sheet;
    bool m_sorted = true;
};
