#pragma once

#include "board/BoardWindow.h"
#include "board/PlateBoard.h"
#include "db/Changes.h"
#include "session/RightTable.h"

#include <QHash>
#include <QIcon>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class BoardStatusPanel;
class OpenLinesGrid;
class OpenLinesModel;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QTabBar;
class QTableView;
class QTimer;
struct Session;

// The plate board: the window the front desk works in all day. One tab per
// room, the plates of the room as coloured icons, a status panel for the
// plate last clicked, the totals per state, a quick find, and the open
// lines of the selected plate at the bottom. Its toolbar, menus and pop-up
// menu open every other window. The rules live in PlateBoard; this class
// shows them. The status panel is a BoardStatusPanel; the members are defined
// in TMainFm.cpp (building, events), TMainFmPlates.cpp (plates, open lines)
// and TMainFmMenus.cpp (toolbar, menus, what their entries open).
class TMainFm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainFm(Session &session, QWidget *parent = nullptr);
    ~TMainFm() override;

    // Skips the closing question (tests, and the end after a restore).
    void setAskOnClose(bool ask) { m_askOnClose = ask; }

    // Rebuilds the plate list of the current room; the selection is lost.
    void ReloadPlates();
    // Recounts the totals and re-reads the selected plate's state into its
    // icon and the "当前状态:" field.
    void RefreshSelectedPlate();
    // The five totals over all rooms.
    void CountPlates();
    // Shows the open lines of the selected plate when it is occupied;
    // otherwise the grid keeps what it shows, unless that was this plate's.
    void LoadPlateLines();
    // After a window about `plate`: selects it, when the current room
    // shows it, with its panel and open lines. What the window changed
    // reaches the plates through the change feed.
    void showPlate(const QString &plate);

    // The selected plate's number; empty when none is selected.
    QString SelectedPlate() const;
    // The plate the status panel shows.
    QString ShownPlate() const;
    // The room of the active tab.
    QString CurrentRoom() const;

    // The selected item's icon; nothing when no plate is selected.
    std::optional<PlateState::Icon> selectedIcon() const;
    // Selects the plate on the current page without running the click.
    bool selectPlate(const QString &plate);

    QListWidget *plateList() const { return m_plates; }
    QTabBar *roomTabs() const { return m_rooms; }
    QAction *toolbarAction(const QString &caption) const;
    QMenu *menu(const QString &title) const;
    QAction *menuAction(const QString &entry) const;
    QMenu *popupMenu() const { return m_popup; }
    QAction *popupAction(const QString &caption) const;
    // The value shown after a caption of the status panel ("当前状态:",
    // "号牌总数", "时间:" …).
    QString fieldText(const QString &caption) const;
    QLineEdit *findBox() const;
    QTableView *linesView() const { return m_linesView; }
    OpenLinesModel *linesModel() const { return m_lines; }
    // The grid's columns of the lines, as shown and exported.
    OpenLinesGrid *linesGrid() const { return m_grid; }
    QLabel *editionLabel() const { return m_edition; }
    QList<QLabel *> statusPanels() const { return m_statusPanels; }
    QTimer *timer() const { return m_timer; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *exportButton() const { return m_export; }

signals:
    // A double click or an entry asked for the order window on a free plate
    // or the consumption window on an occupied one.
    void openOrderRequested(const QString &plate);
    void openConsumptionRequested(const QString &plate);
    // A menu entry or toolbar button whose window another part of the
    // program provides, after the entry's own right test has passed.
    void windowRequested(BoardWindow window);

public slots:
    void openPlateSettings();
    void openPlateStatus();
    void cancelOrder();

    // What happens when the window is shown: clock, captions, rights,
    // plates and the open lines of all plates.
    void prepareForShow();
    void showSelectedPlate();
    void openSelectedPlate();
    // Enables the pop-up entries for the selected plate.
    void preparePlateMenu();
    void findPlate();
    // Every three seconds: the clock. The plates follow the change feed.
    void tick();
    // What the change feed announced, from here or another workstation:
    // plates and lines are read again, the selection, the scroll position
    // and the shown plate kept. A failure is reported once, not on every
    // announcement, until a reload succeeds again.
    void followChanges(Changes changes);

    void orderSelectedPlate();
    void bookOnSelectedPlate();
    void printLines();
    void exportLines();
    void openHelp();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    PlateBoard &board();
    void buildToolbar();
    void buildMenus();
    void buildCentre();
    void buildRooms();
    void applyRights();
    void fillPlates(const QList<PlateBoard::Plate> &plates);
    void reloadKeepingSelection();
    // The shown plate's panel and the open lines below, read again; throws.
    void reloadShownPlate();
    void showDetails(const QString &plate);
    void setItemIcon(QListWidgetItem *item, PlateState::Icon icon);
    void showLinePrintPreview();
    void exportLineGrid();
    // Shows the answer's refusal, if any; true when the answer opens the window.
    bool followAnswer(const PlateBoard::Answer &answer);
    void requireRight(Guarded operation, BoardWindow window);
    // Asks for the order or consumption window of the selected plate, if any.
    void requestForSelectedPlate(void (TMainFm::*request)(const QString &plate));
    // Runs a change on the selected plate and then shows the plate's new
    // state; false when no plate is selected or the change did not happen.
    bool changeSelectedPlate(const std::function<bool(const QString &plate)> &change);
    void showError(const QString &text);
    void endProgram();

    Session &m_session;
    std::unique_ptr<PlateBoard> m_board;
    OpenLinesModel *m_lines;
    OpenLinesGrid *m_grid;
    std::array<QIcon, 4> m_icons;

    QTabBar *m_rooms = nullptr;
    QListWidget *m_plates = nullptr;
    BoardStatusPanel *m_panel = nullptr;
    QTableView *m_linesView = nullptr;
    QLabel *m_edition = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_export = nullptr;
    QMenu *m_popup = nullptr;
    QTimer *m_timer = nullptr;
    QHash<QString, QAction *> m_toolbarActions;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QAction *> m_menuActions;
    QHash<QString, QAction *> m_popupActions;
    QList<QLabel *> m_statusPanels;
    QString m_shownPlate;
    bool m_askOnClose = true;
    bool m_shown = false;
    // A reload that follows the feed reports a database error once.
    bool m_reloadErrorShown = false;
};
