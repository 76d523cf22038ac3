#include "TMainFm.h"

#include "PlateIcons.h"
#include "TSpSetFm.h"
#include "TSpStatusFm.h"
#include "app/Session.h"
#include "board/LineListReport.h"
#include "board/OpenLinesModel.h"
#include "board/PlateStatus.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/FileOpener.h"
#include "common/Prompt.h"
#include "app/Attempt.h"
#include "export/ui/ExcelExport.h"
#include "operators/ui/TAdminChangePassFm.h"
#include "operators/ui/TAdminFm.h"
#include "report/ui/ReportPreview.h"

#include <QCloseEvent>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int IconRole = Qt::UserRole + 1;
constexpr int TimerInterval = 3000;

const QStringList DetailCaptions{u"当前状态:"_s, u"计费标准:"_s, u"进店时间:"_s,
                                 u"已用时间:"_s, u"已交押金:"_s, u"消费金额:"_s};
const QStringList CountCaptions{u"号牌总数"_s, u"当前占用"_s, u"当前空闲"_s, u"当前预定"_s,
                                u"当前停用"_s};

} // namespace

TMainFm::TMainFm(Session &session, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_lines(std::make_unique<OpenLinesModel>())
    , m_grid(new OpenLinesGrid(m_lines.get(), this))
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

    CountPlates();
}

TMainFm::~TMainFm() = default;

// ---------------------------------------------------------------- building

void TMainFm::buildToolbar()
{
    QToolBar *toolbar = addToolBar(u"工具栏"_s);
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<QString, std::function<void()>> buttons[] = {
        {u"开单"_s, [this] { orderSelectedPlate(); }},
        {u"消费与结帐"_s, [this] { bookOnSelectedPlate(); }},
        {u"商品项目"_s, [this] { emit windowRequested(u"商品项目管理"_s); }},
        {u"会员管理"_s, [this] { emit windowRequested(u"会员信息管理"_s); }},
        {u"账单查询"_s, [this] { emit windowRequested(u"帐单查询"_s); }},
        {u"账单明细"_s, [this] { emit windowRequested(u"账单明细"_s); }},
        {u"系统提示"_s,
         [this] { m_session.prompt.message(u"为了您的数据安全 请注意备份您的数据！"_s); }},
        {u"退出系统"_s, [this] { close(); }},
    };
    for (const auto &[caption, handler] : buttons) {
        QAction *action = toolbar->addAction(caption);
        connect(action, &QAction::triggered, this, handler);
        m_toolbarActions.insert(caption, action);
    }
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    m_edition = new QLabel(m_session.context.DbKind == u"s" ? u"当前是网络版"_s : u"当前是单机版"_s,
                           toolbar);
    m_edition->setContentsMargins(8, 0, 12, 0);
    toolbar->addWidget(m_edition);
}

void TMainFm::buildMenus()
{
    // Entries whose window comes from another part of the program ask for
    // it through windowRequested.
    auto later = [this](const QString &entry) {
        return [this, entry] { emit windowRequested(entry); };
    };
    auto withRight = [this](const QString &right, const QString &refusal, const QString &entry) {
        return [this, right, refusal, entry] { requireRight(right, refusal, entry); };
    };
    const QString adminRefusal = u"操作失败:没有权限!"_s;

    struct Entry
    {
        QString caption;
        std::function<void()> handler;
    };
    const std::pair<QString, QList<Entry>> menus[] = {
        {u"查询统计"_s,
         {{u"当前消费查询"_s, later(u"当前消费查询"_s)},
          {u"帐单查询"_s, later(u"帐单查询"_s)},
          {u"账单明细"_s, later(u"账单明细"_s)},
          {u"营业项目统计"_s, later(u"营业项目统计"_s)},
          {u"进货记录统计"_s, later(u"进货记录统计"_s)}}},
        {u"系统管理"_s,
         {{u"商品项目管理"_s, later(u"商品项目管理"_s)},
          {u"商品类型设置"_s, withRight(u"商品类型"_s, u"没有权限!"_s, u"商品类型设置"_s)},
          {u"号牌与包厢设置"_s, [this] { openPlateSettings(); }}}},
        {u"会员管理"_s,
         {{u"会员信息管理"_s, later(u"会员信息管理"_s)},
          {u"会员类型管理"_s, later(u"会员类型管理"_s)},
          {u"会员消费查询"_s, later(u"会员消费查询"_s)},
          {u"充值记录统计"_s, later(u"充值记录统计"_s)}}},
        {u"员工管理"_s,
         {{u"员工信息管理"_s, later(u"员工信息管理"_s)},
          {u"员工等级设置"_s, withRight(u"管理员设置"_s, adminRefusal, u"员工等级设置"_s)},
          {u"员工提成统计"_s, later(u"员工提成统计"_s)},
          {u"员工提成明细"_s, later(u"员工提成明细"_s)},
          {u"工资记录"_s, later(u"工资记录"_s)}}},
        {u"系统维护"_s,
         {{u"管理员设置"_s, [this] { openOperators(); }},
          {u"管理密码修改"_s, [this] { openPasswordChange(); }},
          {u"会员密码修改"_s, later(u"会员密码修改"_s)},
          {u"数据备份"_s, later(u"数据备份"_s)},
          {u"数据恢复"_s, later(u"数据恢复"_s)},
          {u"系统信息设置"_s, later(u"系统信息设置"_s)},
          {u"EXCEL导入"_s, withRight(u"管理员设置"_s, adminRefusal, u"EXCEL导入"_s)},
          {u"POS打印机设置"_s, withRight(u"管理员设置"_s, adminRefusal, u"POS打印机设置"_s)},
          {u"数据库设置"_s, later(u"数据库设置"_s)},
          {u"数据初始化"_s, later(u"数据初始化"_s)}}},
        {u"帮助"_s, {{u"帮助"_s, [this] { openHelp(); }}, {u"关于"_s, later(u"关于"_s)}}},
    };
    for (const auto &[title, entries] : menus) {
        QMenu *menu = menuBar()->addMenu(title);
        m_menus.insert(title, menu);
        for (const Entry &entry : entries) {
            QAction *action = menu->addAction(entry.caption);
            connect(action, &QAction::triggered, this, entry.handler);
            m_menuActions.insert(entry.caption, action);
        }
    }

    m_popup = new QMenu(this);
    const std::pair<QString, std::function<void()>> popupEntries[] = {
        {u"开    单"_s, [this] { emit openOrderRequested(SelectedPlate()); }},
        {u"消费与结帐"_s, [this] { emit openConsumptionRequested(SelectedPlate()); }},
        {u"修改状态"_s, [this] { openPlateStatus(); }},
        {u"撤单"_s, [this] { cancelOrder(); }},
    };
    for (const auto &[caption, handler] : popupEntries) {
        QAction *action = m_popup->addAction(caption);
        connect(action, &QAction::triggered, this, handler);
        m_popupActions.insert(caption, action);
    }
}

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

    // The status panel.
    auto *panel = new QWidget(this);
    panel->setFixedWidth(250);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(6, 0, 0, 0);

    auto valueField = [this](const QString &caption) {
        auto *field = new QLineEdit(this);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        m_fields.insert(caption, field);
        return field;
    };

    auto *clockGroup = new QGroupBox(this);
    auto *clockLayout = new QFormLayout(clockGroup);
    auto *clock = new QLabel(this);
    m_fields.insert(u"时间:"_s, clock);
    clockLayout->addRow(u"时间:"_s, clock);
    panelLayout->addWidget(clockGroup);

    auto *plateGroup = new QGroupBox(this);
    auto *plateLayout = new QFormLayout(plateGroup);
    plateLayout->addRow(u"号牌:"_s, valueField(u"号牌:"_s));
    for (const QString &caption : DetailCaptions)
        plateLayout->addRow(caption, valueField(caption));
    panelLayout->addWidget(plateGroup);

    auto *countGroup = new QGroupBox(u"总状态"_s, this);
    auto *countLayout = new QFormLayout(countGroup);
    for (const QString &caption : CountCaptions) {
        auto *count = new QLabel(u"0"_s, this);
        m_fields.insert(caption, count);
        countLayout->addRow(caption, count);
    }
    panelLayout->addWidget(countGroup);

    auto *findGroup = new QGroupBox(this);
    auto *findLayout = new QVBoxLayout(findGroup);
    findLayout->addWidget(new QLabel(u"快速查找号牌  快捷键F3"_s, this));
    m_find = new QLineEdit(this);
    findLayout->addWidget(m_find);
    panelLayout->addWidget(findGroup);
    panelLayout->addStretch(1);
    connect(m_find, &QLineEdit::returnPressed, this, &TMainFm::findPlate);
    auto *findKey = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(findKey, &QShortcut::activated, this, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });

    auto *top = new QWidget(this);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(4, 4, 4, 4);
    topLayout->addWidget(left, 1);
    topLayout->addWidget(panel);

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
    m_linesView->horizontalHeader()->setStretchLastSection(true);
    m_linesView->horizontalHeader()->setDefaultSectionSize(110);
    m_linesView->setColumnWidth(OpenLinesModel::Time, 160);
    m_linesView->setWordWrap(false);
    m_linesView->verticalHeader()->setDefaultSectionSize(m_linesView->fontMetrics().height() + 8);
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
    QStringList rooms;
    try {
        rooms = board().rooms();
    } catch (const DbError &error) {
        showError(error.text());
    }
    const QSignalBlocker blocker(m_rooms);
    for (const QString &room : std::as_const(rooms))
        m_rooms->addTab(room);
    // A page change rebuilds the plate list.
    connect(m_rooms, &QTabBar::currentChanged, this, &TMainFm::ReloadPlates, Qt::UniqueConnection);
}

void TMainFm::applyRights()
{
    const Rights &rights = m_session.context.Rights;
    const std::pair<QString, QStringList> toolbar[] = {
        {u"消费管理"_s, {u"消费与结帐"_s}},
        {u"来宾登记"_s, {u"开单"_s}},
        {u"会员管理"_s, {u"会员管理"_s}},
        {u"商品管理"_s, {u"商品项目"_s}},
    };
    for (const auto &[right, captions] : toolbar) {
        for (const QString &caption : captions)
            m_toolbarActions.value(caption)->setEnabled(rights.has(right));
    }
    m_popupActions.value(u"消费与结帐"_s)->setEnabled(rights.has(u"消费管理"_s));
    m_popupActions.value(u"开    单"_s)->setEnabled(rights.has(u"来宾登记"_s));

    m_menus.value(u"查询统计"_s)->menuAction()->setEnabled(rights.has(u"营业查询"_s));
    const std::pair<QString, QStringList> menus[] = {
        {u"会员管理"_s, {u"会员信息管理"_s, u"会员类型管理"_s}},
        {u"数据初始化"_s, {u"数据初始化"_s}},
        // 员工等级设置, EXCEL导入 and POS打印机设置 stay enabled and refuse
        // when chosen.
        {u"管理员设置"_s, {u"管理员设置"_s, u"数据库设置"_s, u"系统信息设置"_s}},
        {u"商品管理"_s, {u"商品项目管理"_s}},
        {u"号牌管理"_s, {u"号牌与包厢设置"_s}},
        {u"员工管理"_s, {u"员工信息管理"_s}},
        {u"数据备份"_s, {u"数据备份"_s}},
        {u"数据恢复"_s, {u"数据恢复"_s}},
    };
    for (const auto &[right, entries] : menus) {
        for (const QString &entry : entries)
            m_menuActions.value(entry)->setEnabled(rights.has(right));
    }
}

// ------------------------------------------------------------- accessors

QAction *TMainFm::toolbarAction(const QString &caption) const
{
    return m_toolbarActions.value(caption);
}

QMenu *TMainFm::menu(const QString &title) const
{
    return m_menus.value(title);
}

QAction *TMainFm::menuAction(const QString &entry) const
{
    return m_menuActions.value(entry);
}

QAction *TMainFm::popupAction(const QString &caption) const
{
    return m_popupActions.value(caption);
}

QString TMainFm::fieldText(const QString &caption) const
{
    QWidget *field = m_fields.value(caption);
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(field))
        return label->text();
    return {};
}

void TMainFm::setField(const QString &caption, const QString &text)
{
    QWidget *field = m_fields.value(caption);
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto *label = qobject_cast<QLabel *>(field)) {
        label->setText(text);
    }
}

QString TMainFm::SelectedPlate() const
{
    const QList<QListWidgetItem *> selected = m_plates->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
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

// ------------------------------------------------------ board operations

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
    QList<PlateBoard::Plate> plates;
    try {
        plates = board().plates(CurrentRoom());
    } catch (const DbError &error) {
        m_plates->clear();
        showError(error.text());
        return;
    }
    fillPlates(plates);
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
    showCounts(counts);
}

void TMainFm::showCounts(const PlateBoard::Counts &counts)
{
    const std::pair<QString, int> values[] = {
        {u"号牌总数"_s, counts.total},    {u"当前占用"_s, counts.occupied},
        {u"当前空闲"_s, counts.free},     {u"当前预定"_s, counts.reserved},
        {u"当前停用"_s, counts.disabled},
    };
    for (const auto &[caption, value] : values)
        setField(caption, QString::number(value));
}

void TMainFm::CountPlates()
{
    PlateBoard::Counts counts;
    try {
        counts = board().counts();
    } catch (const DbError &error) {
        showError(error.text());
        return;
    }
    showCounts(counts);
}

void TMainFm::RefreshSelectedPlate()
{
    CountPlates();
    const QList<QListWidgetItem *> selected = m_plates->selectedItems();
    if (selected.isEmpty())
        return;
    std::optional<PlateState::Icon> icon;
    try {
        icon = board().knownState(selected.first()->text());
    } catch (const DbError &error) {
        showError(error.text());
        return;
    }
    // A plate that is gone, or has a state text of its own, changes nothing.
    if (!icon)
        return;
    setItemIcon(selected.first(), *icon);
    setField(u"当前状态:"_s, PlateState::textOf(*icon));
}

void TMainFm::LoadPlateLines()
{
    if (selectedIcon() != PlateState::OccupiedIcon)
        return;
    try {
        m_lines->setLines(board().openLines(SelectedPlate()));
    } catch (const DbError &error) {
        showError(error.text());
    }
}

void TMainFm::showDetails(const QString &plate)
{
    m_shownPlate = plate;
    setField(u"号牌:"_s, plate);
    std::optional<PlateBoard::Details> details;
    try {
        details = board().details(plate);
    } catch (const DbError &error) {
        showError(error.text());
        return;
    }
    LoadPlateLines();
    if (!details)
        return;
    setField(u"当前状态:"_s, details->state);
    setField(u"计费标准:"_s, details->billing);
    setField(u"进店时间:"_s, details->entryTime);
    setField(u"已用时间:"_s, details->elapsed);
    setField(u"已交押金:"_s, details->deposit);
    setField(u"消费金额:"_s, details->amount);
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
    setField(u"时间:"_s, m_session.clock.now().toString(u"yyyy-MM-dd hh:mm"_s));
    setWindowTitle(m_session.context.SoftName);
    m_shownPlate.clear();
    setField(u"号牌:"_s, QString());
    m_find->clear();
    for (const QString &caption : DetailCaptions)
        setField(caption, QString());
    applyRights();
    ReloadPlates();
    try {
        m_lines->setLines(board().openLines());
    } catch (const DbError &error) {
        showError(error.text());
    }
    m_timer->start();
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

void TMainFm::preparePlateMenu()
{
    const std::optional<PlateState::Icon> icon = selectedIcon();
    if (icon)
        showDetails(SelectedPlate());
    const PlateBoard::PopupEnabling enabling = PlateBoard::popupEnabling(icon);
    m_popupActions.value(u"开    单"_s)->setEnabled(enabling.openOrder);
    m_popupActions.value(u"消费与结帐"_s)->setEnabled(enabling.consume);
    m_popupActions.value(u"修改状态"_s)->setEnabled(enabling.changeStatus);
    m_popupActions.value(u"撤单"_s)->setEnabled(enabling.cancelOrder);
}

void TMainFm::findPlate()
{
    QList<PlateBoard::Plate> plates;
    for (int row = 0; row < m_plates->count(); ++row)
        plates.append({m_plates->item(row)->text(), PlateState::FreeIcon});
    const int found = PlateBoard::find(plates, m_find->text());
    if (found < 0) {
        m_session.prompt.message(u"没有找到！注意字符大小写！"_s, {}, Prompt::Kind::Warning);
        return;
    }
    QListWidgetItem *item = m_plates->item(found);
    m_plates->setCurrentItem(item);
    item->setSelected(true);
    m_plates->scrollToItem(item);
    showSelectedPlate();
}

void TMainFm::tick()
{
    setField(u"时间:"_s, DateFormat::dateTimeText(m_session.clock.now()));
    if (m_session.context.DbKind != u"s")
        return;
    try {
        reloadKeepingSelection();
        m_timerErrorShown = false;
    } catch (const DbError &error) {
        if (!m_timerErrorShown) {
            m_timerErrorShown = true;
            showError(error.text());
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

// ---------------------------------------------------------------- actions

void TMainFm::orderSelectedPlate()
{
    const PlateBoard::Answer answer = PlateBoard::openOrderAnswer(selectedIcon());
    if (answer.step == PlateBoard::Answer::Refuse)
        m_session.prompt.message(answer.message);
    else if (answer.step == PlateBoard::Answer::Open)
        emit openOrderRequested(SelectedPlate());
}

void TMainFm::bookOnSelectedPlate()
{
    const PlateBoard::Answer answer = PlateBoard::consumptionAnswer(selectedIcon());
    if (answer.step == PlateBoard::Answer::Refuse)
        m_session.prompt.message(answer.message);
    else if (answer.step == PlateBoard::Answer::Open)
        emit openConsumptionRequested(SelectedPlate());
}

void TMainFm::requireRight(const QString &right, const QString &refusal, const QString &entry)
{
    if (!m_session.context.Rights.has(right)) {
        m_session.prompt.message(refusal);
        return;
    }
    emit windowRequested(entry);
}

void TMainFm::openOperators()
{
    TAdminFm window(m_session, this);
    window.exec();
}

void TMainFm::openPasswordChange()
{
    TAdminChangePassFm window(m_session, this);
    window.exec();
}

void TMainFm::openPlateSettings()
{
    TSpSetFm window(m_session, this);
    if (window.exec() == TSpSetFm::EndProgram)
        endProgram();
}

void TMainFm::openPlateStatus()
{
    const QString plate = SelectedPlate();
    if (plate.isEmpty())
        return;
    TSpStatusFm window(m_session, plate, this);
    if (window.exec() == QDialog::Accepted)
        RefreshSelectedPlate();
}

void TMainFm::cancelOrder()
{
    const QString plate = SelectedPlate();
    if (plate.isEmpty())
        return;
    if (!attempt(m_session.prompt,
                 [&] { PlateStatus(m_session.db()).cancelOrder(plate, m_session.context.Rights); }))
        return;
    RefreshSelectedPlate();
    m_session.prompt.message(u"撤单完毕"_s);
}

void TMainFm::openHelp()
{
    const QString path = QDir(m_session.context.ProgramDir).filePath(u"help.chm"_s);
    if (!m_session.opener.open(path))
        showError(u"不能打开帮助文件 "_s + QDir::toNativeSeparators(path));
}

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
    ExcelExport::run(this, m_session.prompt, m_session.opener, *m_grid);
}

void TMainFm::showLinePrintPreview()
{
    const ListReport report = LineListReport::make(*m_lines);
    ReportPreview::exec(report, this);
}
