#include "TMainFm.h"

#include "BoardStatusPanel.h"
#include "PlateIcons.h"
#include "board/OpenLinesModel.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Prompt.h"
#include "common/ui/Attempt.h"
#include "common/ui/GridLook.h"
#include "db/ChangeFeed.h"
#include "session/Session.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

// The board window's construction, its layout and its life: shown, ticking,
// following the change feed, closed. The plate list is in TMainFmPlates.cpp, the toolbar and menus and
// what their entries open in TMainFmMenus.cpp.

using namespace Qt::StringLiterals;

namespace {

constexpr int TimerInterval = 3000;

} // namespace

TMainFm::TMainFm(Session &session, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_lines(new OpenLinesModel(this))
    , m_grid(new OpenLinesGrid(m_lines, this))
{
    for (int index = 0; index < 4; ++index)
        m_icons[index] = PlateIcons::icon(index);
    if (m_session.database)
        m_board = std::make_unique<PlateBoard>(*m_session.database, m_session.clock);

    setWindowTitle(session.context.SoftName);
    resize(1200, 800);
    setWindowState(Qt::WindowMaximized);

    buildToolbar();
    buildMenus();
    buildCentre();
    for (const QString &text :
         {session.context.CompanyText, session.context.WebText, session.context.TelText}) {
        auto *panel = new QLabel(text, this);
        panel->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(panel, 1);
        m_statusPanels.append(panel);
    }

    m_timer = new QTimer(this);
    m_timer->setInterval(TimerInterval);
    connect(m_timer, &QTimer::timeout, this, &TMainFm::tick);
    if (m_session.changes)
        connect(m_session.changes, &ChangeFeed::changed, this, &TMainFm::followChanges);

    CountPlates();
}

TMainFm::~TMainFm() = default;

void TMainFm::buildCentre()
{
    m_rooms = new QTabBar(this);
    m_rooms->setExpanding(false);
    m_rooms->setDocumentMode(true);
    // The pages go in before the tab bar joins a layout, which would keep
    // the height of an empty bar.
    buildRooms();

    m_plates = new QListWidget(this);
    m_plates->setViewMode(QListView::IconMode);
    m_plates->setIconSize(QSize(64, 64));
    m_plates->setGridSize(QSize(96, 96));
    m_plates->setMovement(QListView::Static);
    m_plates->setResizeMode(QListView::Adjust);
    m_plates->setWrapping(true);
    m_plates->setUniformItemSizes(true);
    m_plates->setSelectionMode(QAbstractItemView::SingleSelection);
    m_plates->setContextMenuPolicy(Qt::CustomContextMenu);
    m_plates->setFont([] {
        QFont font;
        font.setPointSizeF(font.pointSizeF() * 1.1);
        font.setBold(true);
        return font;
    }());
    connect(m_plates, &QListWidget::itemClicked, this, &TMainFm::showSelectedPlate);
    connect(m_plates, &QListWidget::itemDoubleClicked, this, &TMainFm::openSelectedPlate);
    // Enter opens the selected plate as a double click does.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *open = new QShortcut(QKeySequence(key), m_plates);
        open->setContext(Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, &TMainFm::openSelectedPlate);
    }
    connect(m_plates, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        preparePlateMenu();
        m_popup->exec(m_plates->viewport()->mapToGlobal(at));
    });

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    leftLayout->addWidget(m_rooms);
    leftLayout->addWidget(m_plates, 1);

    m_panel = new BoardStatusPanel(this);
    connect(m_panel->findBox(), &QLineEdit::returnPressed, this, &TMainFm::findPlate);
    auto *findKey = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(findKey, &QShortcut::activated, m_panel, &BoardStatusPanel::focusFind);

    auto *top = new QWidget(this);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(4, 4, 4, 4);
    topLayout->addWidget(left, 1);
    topLayout->addWidget(m_panel);

    // The open lines at the bottom.
    auto *bottom = new QWidget(this);
    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 0, 4, 0);
    auto *buttons = new QHBoxLayout;
    m_print = new QPushButton(u"打印下表"_s, this);
    m_export = new QPushButton(u"Excel转出下表"_s, this);
    connect(m_print, &QPushButton::clicked, this, &TMainFm::printLines);
    connect(m_export, &QPushButton::clicked, this, &TMainFm::exportLines);
    buttons->addWidget(m_print);
    buttons->addWidget(m_export);
    buttons->addStretch(1);
    bottomLayout->addLayout(buttons);
    m_linesView = new QTableView(this);
    m_linesView->setModel(m_grid);
    m_linesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_linesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_linesView->verticalHeader()->hide();
    m_linesView->setWordWrap(false);
    GridLook::setUp(m_linesView);
    bottomLayout->addWidget(m_linesView, 1);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(top);
    splitter->addWidget(bottom);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);
}

void TMainFm::buildRooms()
{
    const QStringList rooms =
        fetch(m_session.prompt, [this] { return board().rooms(); }).value_or(QStringList());
    const QSignalBlocker blocker(m_rooms);
    for (const QString &room : std::as_const(rooms))
        m_rooms->addTab(room);
    // A page change rebuilds the plate list.
    connect(m_rooms, &QTabBar::currentChanged, this, &TMainFm::ReloadPlates, Qt::UniqueConnection);
}

PlateBoard &TMainFm::board()
{
    // Throws DbError with the reason when the database could not be opened.
    m_session.db();
    return *m_board;
}

void TMainFm::showError(const QString &text)
{
    m_session.prompt.message(text, {}, Prompt::Kind::Error);
}

QString TMainFm::fieldText(const QString &caption) const
{
    return m_panel->fieldText(caption);
}

QLineEdit *TMainFm::findBox() const
{
    return m_panel->findBox();
}

QString TMainFm::ShownPlate() const
{
    return m_shownPlate;
}

QString TMainFm::CurrentRoom() const
{
    const int index = m_rooms->currentIndex();
    return index < 0 ? QString() : m_rooms->tabText(index);
}

// ----------------------------------------------------------------- events

void TMainFm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        prepareForShow();
    }
}

void TMainFm::prepareForShow()
{
    m_panel->setField(u"时间:"_s, m_session.clock.now().toString(u"yyyy-MM-dd hh:mm"_s));
    setWindowTitle(m_session.context.SoftName);
    m_shownPlate.clear();
    m_panel->clearPlate();
    applyRights();
    ReloadPlates();
    attempt(m_session.prompt, [this] { m_lines->setLines(board().openLines()); });
    m_timer->start();
}

void TMainFm::tick()
{
    m_panel->setField(u"时间:"_s, DateFormat::dateTimeText(m_session.clock.now()));
}

void TMainFm::followChanges(Changes changes)
{
    // Until it is shown, the board has read nothing that could be stale.
    if (!m_shown || !(changes & (Change::Plates | Change::Lines)))
        return;
    try {
        reloadKeepingSelection();
        reloadShownPlate();
        m_reloadErrorShown = false;
    } catch (...) {
        if (!m_reloadErrorShown) {
            m_reloadErrorShown = true;
            showFailure(m_session.prompt);
        }
    }
}

void TMainFm::closeEvent(QCloseEvent *event)
{
    if (m_askOnClose && !m_session.prompt.question(u"确认要退出吗?"_s, u"请确认"_s)) {
        event->ignore();
        return;
    }
    m_timer->stop();
    event->accept();
}

void TMainFm::endProgram()
{
    m_askOnClose = false;
    close();
}
