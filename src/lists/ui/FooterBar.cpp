#include "FooterBar.h"

#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>

FooterBar::FooterBar(QTableView *grid, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_grid(grid)
    , m_texts(new QStandardItemModel(this))
{
    setModel(m_texts);
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QHeaderView *columns = m_grid->horizontalHeader();
    connect(columns, &QHeaderView::sectionResized, this,
            [this](int section, int, int size) { resizeSection(section, size); });
    connect(columns, &QHeaderView::geometriesChanged, this, &FooterBar::followGrid);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { setOffset(m_grid->horizontalHeader()->offset()); });
}

void FooterBar::setTexts(const QStringList &texts)
{
    m_texts->setColumnCount(static_cast<int>(texts.size()));
    m_texts->setHorizontalHeaderLabels(texts);
    followGrid();
}

QString FooterBar::text(int column) const
{
    return m_texts->headerData(column, Qt::Horizontal).toString();
}

void FooterBar::followGrid()
{
    QHeaderView *columns = m_grid->horizontalHeader();
    // Starts where the grid's cells start, past its row header.
    setViewportMargins(m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0,
                       0, 0, 0);
    // One line of text, as high as the grid's own headings.
    setFixedHeight(columns->sizeHint().height());
    for (int section = 0; section < count() && section < columns->count(); ++section)
        resizeSection(section, columns->sectionSize(section));
    setOffset(columns->offset());
}
