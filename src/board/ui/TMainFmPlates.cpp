#include "TMainFm.h"

#include "BoardStatusPanel.h"
#include "board/LineListReport.h"
#include "board/OpenLinesModel.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "db/ResultTableModel.h"
#include "export/ui/ExcelExport.h"
#include "report/ui/ReportPreview.h"
#include "session/Session.h"

#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>

// The board window's plate list and what follows a plate: the selection, the
// icons, the status panel's fields and totals, the quick find and the open
// lines below with their print and export.

using namespace Qt::StringLiterals;

namespace {

constexpr int IconRole = Qt::UserRole + 1;

} // namespace

QString TMainFm::SelectedPlate() const
{
    const QList<QListWidgetItem *> selected = m_plates->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

std::optional<PlateState::Icon> TMainFm::selectedIcon() const
{
    const QList<QListWidgetItem *> selected = m_plates->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return static_cast<PlateState::Icon>(selected.first()->data(IconRole).toInt());
}

bool TMainFm::selectPlate(const QString &plate)
{
    const QList<QListWidgetItem *> found = m_plates->findItems(plate, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        return false;
    m_plates->setCurrentItem(found.first());
    found.first()->setSelected(true);
    m_plates->scrollToItem(found.first());
    return true;
}

void TMainFm::setItemIcon(QListWidgetItem *item, PlateState::Icon icon)
{
    item->setData(IconRole, static_cast<int>(icon));
    item->setIcon(m_icons[icon]);
}

void TMainFm::fillPlates(const QList<PlateBoard::Plate> &plates)
{
    m_plates->setUpdatesEnabled(false);
    m_plates->clear();
    for (const PlateBoard::Plate &plate : plates) {
        auto *item = new QListWidgetItem(plate.number, m_plates);
        setItemIcon(item, plate.icon);
    }
    m_plates->setUpdatesEnabled(true);
}

void TMainFm::ReloadPlates()
{
    const auto plates =
        fetch(m_session.prompt, [this] { return board().plates(CurrentRoom()); });
    if (!plates) {
        m_plates->clear();
        return;
    }
    fillPlates(*plates);
}

void TMainFm::reloadKeepingSelection()
{
    const QList<PlateBoard::Plate> plates = board().plates(CurrentRoom());
    const PlateBoard::Counts counts = board().counts();

    // The same plates as shown: only icons change, so the selection, the
    // scroll position and the status panel stay as they are.
    bool samePlates = plates.size() == m_plates->count();
    for (int row = 0; samePlates && row < plates.size(); ++row)
        samePlates = m_plates->item(row)->text() == plates.at(row).number;
    if (samePlates) {
        for (int row = 0; row < plates.size(); ++row) {
            QListWidgetItem *item = m_plates->item(row);
            if (item->data(IconRole).toInt() != plates.at(row).icon)
                setItemIcon(item, plates.at(row).icon);
        }
    } else {
        const QString selected = SelectedPlate();
        const int scroll = m_plates->verticalScrollBar()->value();
        fillPlates(plates);
        if (!selected.isEmpty())
            selectPlate(selected);
        m_plates->verticalScrollBar()->setValue(scroll);
    }
    m_panel->showCounts(counts);
}

void TMainFm::reloadShownPlate()
{
    if (!m_shownPlate.isEmpty()) {
        // A plate removed meanwhile keeps what the panel showed.
        if (const auto details = board().details(m_shownPlate))
            m_panel->showDetails(*details);
    }
    // The grid shows one plate's lines or every plate's; it keeps its place.
    const std::optional<QString> linesOf = m_lines->plate();
    QList<OpenLine> lines = linesOf ? board().openLines(*linesOf) : board().openLines();
    const int scroll = m_linesView->verticalScrollBar()->value();
    const int row = m_linesView->currentIndex().row();
    m_lines->setLines(std::move(lines), linesOf);
    if (row >= 0 && row < m_grid->rowCount())
        m_linesView->selectRow(row);
    m_linesView->verticalScrollBar()->setValue(scroll);
}

void TMainFm::showPlate(const QString &plate)
{
    if (!plate.isEmpty() && selectPlate(plate))
        showSelectedPlate();
}

void TMainFm::CountPlates()
{
    if (const auto counts = fetch(m_session.prompt, [this] { return board().counts(); }))
        m_panel->showCounts(*counts);
}

void TMainFm::RefreshSelectedPlate()
{
    CountPlates();
    const QList<QListWidgetItem *> selected = m_plates->selectedItems();
    if (selected.isEmpty())
        return;
    const QString plate = selected.first()->text();
    const auto icon = fetch(m_session.prompt, [&] { return board().knownState(plate); });
    // A plate that is gone, or has a state text of its own, changes nothing.
    if (!icon || !*icon)
        return;
    setItemIcon(selected.first(), **icon);
    m_panel->setField(u"当前状态:"_s, PlateState::textOf(**icon));
}

void TMainFm::LoadPlateLines()
{
    const QString plate = SelectedPlate();
    if (selectedIcon() != PlateState::OccupiedIcon) {
        // A plate that is not occupied has no open lines: the grid follows
        // the selection and shows none, never another plate's.
        if (!plate.isEmpty())
            m_lines->setLines({}, plate);
        return;
    }
    if (auto lines = fetch(m_session.prompt, [&] { return board().openLines(plate); }))
        m_lines->setLines(std::move(*lines), plate);
}

void TMainFm::showDetails(const QString &plate)
{
    m_shownPlate = plate;
    m_panel->setField(u"号牌:"_s, plate);
    const auto details = fetch(m_session.prompt, [&] { return board().details(plate); });
    if (!details)
        return;
    LoadPlateLines();
    if (!*details)
        return;
    m_panel->showDetails(**details);
}

void TMainFm::showSelectedPlate()
{
    const QString plate = SelectedPlate();
    if (plate.isEmpty())
        return;
    showDetails(plate);
}

void TMainFm::openSelectedPlate()
{
    RefreshSelectedPlate();
    const QString plate = SelectedPlate();
    if (plate.isEmpty())
        return;
    // The whole panel follows the plate, not just its number.
    showDetails(plate);
    m_plates->viewport()->update();
    const QString state = fieldText(u"当前状态:"_s);
    if (state == QStringView(PlateState::Occupied))
        emit openConsumptionRequested(plate);
    else if (state == QStringView(PlateState::Free))
        emit openOrderRequested(plate);
}

void TMainFm::findPlate()
{
    QList<PlateBoard::Plate> plates;
    for (int row = 0; row < m_plates->count(); ++row)
        plates.append({m_plates->item(row)->text(), PlateState::FreeIcon});
    const int found = PlateBoard::find(plates, m_panel->findBox()->text());
    if (found < 0) {
        m_session.prompt.message(u"没有找到号牌 %1！"_s.arg(m_panel->findBox()->text()), {},
                                 Prompt::Kind::Warning);
        return;
    }
    QListWidgetItem *item = m_plates->item(found);
    m_plates->setCurrentItem(item);
    item->setSelected(true);
    m_plates->scrollToItem(item);
    showSelectedPlate();
    // The next Enter opens the plate found.
    m_plates->setFocus();
}

// ------------------------------------------------------------- open lines

void TMainFm::printLines()
{
    // A failure to load the selected plate's lines leaves the grid as it is.
    LoadPlateLines();
    showLinePrintPreview();
}

void TMainFm::exportLines()
{
    LoadPlateLines();
    exportLineGrid();
}

void TMainFm::exportLineGrid()
{
    // Every column of the lines the grid shows, under their own names: the
    // grid's columns are a selection (and 打折率 is no column at all).
    attempt(m_session.prompt, [this] {
        ResultTableModel rows;
        board().loadLineRows(rows, m_lines->plate());
        ExcelExport::run(this, m_session.prompt, m_session.opener, rows);
    });
}

void TMainFm::showLinePrintPreview()
{
    attempt(m_session.prompt, [this] {
        // The closing band adds these up; an amount that is no number stops
        // the print with a message saying where it is.
        m_lines->quantitySum();
        m_lines->totalSum();
        const ListReport report = LineListReport::make(*m_lines);
        ReportPreview::exec(report, m_session.clock, this);
    });
}
