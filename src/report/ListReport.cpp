#include "ListReport.h"

#include "ReportPainter.h"

#include "common/DateFormat.h"
#include "common/FailureText.h"

#include <QAbstractItemModel>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

void ListReport::addTitle(const QString &text, qreal pointSize)
{
    ReportLine line;
    line.text = text;
    line.pointSize = pointSize;
    line.bold = pointSize > 0;
    line.alignment = Qt::AlignHCenter;
    m_titles.append(line);
}

void ListReport::addClosingLine(const QString &text)
{
    ReportLine line;
    line.text = text;
    m_closingLines.append(line);
}

bool ListReport::hasSums() const
{
    return std::any_of(m_columns.begin(), m_columns.end(),
                       [](const ReportColumn &column) { return column.sum; });
}

QList<int> ListReport::modelColumns() const
{
    QList<int> resolved;
    resolved.reserve(m_columns.size());
    for (const ReportColumn &column : m_columns) {
        int found = column.modelColumn;
        if (found < 0 && m_model) {
            for (int section = 0; section < m_model->columnCount(); ++section) {
                if (m_model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString()
                    == column.field) {
                    found = section;
                    break;
                }
            }
        }
        if (m_model && found >= m_model->columnCount())
            found = -1;
        resolved.append(found);
    }
    return resolved;
}

int ListReport::fetchAllRows() const
{
    if (!m_model)
        return 0;
    while (m_model->canFetchMore(QModelIndex()))
        m_model->fetchMore(QModelIndex());
    return m_model->rowCount();
}

QString ListReport::cellText(int row, int modelColumn) const
{
    if (!m_model || modelColumn < 0)
        return {};
    const QVariant value = m_model->index(row, modelColumn).data(Qt::DisplayRole);
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return DateFormat::dateTimeText(value.toDateTime());
    case QMetaType::QDate:
        return DateFormat::dateText(value.toDate());
    default:
        return value.toString();
    }
}

Money ListReport::modelColumnSum(int modelColumn) const
{
    Money total;
    if (!m_model || modelColumn < 0)
        return total;
    const int rows = fetchAllRows();
    for (int row = 0; row < rows; ++row) {
        if (const auto amount = Money::tryFromVariant(m_model->index(row, modelColumn).data(Qt::DisplayRole)))
            total += *amount;
    }
    return total;
}

Money ListReport::sum(int column) const
{
    return modelColumnSum(modelColumns().value(column, -1));
}

std::optional<int> ListReport::columnNamed(const QString &name) const
{
    const QList<int> resolved = modelColumns();
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].heading == name)
            return resolved[i];
    }
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (!m_columns[i].field.isEmpty() && m_columns[i].field == name)
            return resolved[i];
    }
    if (m_model) {
        for (int section = 0; section < m_model->columnCount(); ++section) {
            if (m_model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString() == name)
                return section;
        }
    }
    return std::nullopt;
}

QString ListReport::expand(const QString &text) const
{
    static const QRegularExpression token(uR"(\[(DATE|TIME|SUM\(([^\[\]()]*)\))\])"_s);
    const QDateTime moment = printedAt();
    QString result;
    qsizetype done = 0;
    auto matches = token.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result += QStringView(text).mid(done, match.capturedStart() - done);
        done = match.capturedEnd();
        const QString what = match.captured(1);
        if (what == u"DATE") {
            result += moment.toString(u"yyyy-MM-dd"_s);
        } else if (what == u"TIME") {
            result += moment.toString(u"hh:mm:ss"_s);
        } else if (const auto column = columnNamed(match.captured(2)); column && *column >= 0) {
            result += modelColumnSum(*column).toString();
        } else {
            result += match.captured(0);
        }
    }
    result += QStringView(text).mid(done);
    return result;
}

bool ListReport::render(QPagedPaintDevice &device, const Progress &progress) const
{
    return ReportPainter(*this, device).paint(progress);
}

qreal ListReport::contentHeightMm() const
{
    // Measured on a PDF page that is never written out.
    constexpr int Resolution = 600;
    QBuffer nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QPdfWriter writer(&nowhere);
    writer.setPageLayout(m_pageLayout);
    writer.setResolution(Resolution);
    return ReportPainter(*this, writer).contentHeight() / Resolution * 25.4;
}

bool ListReport::writePdf(const QString &path, QString *error) const
{
    // QPdfWriter does not say why it cannot write; opening the file first does.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error = u"不能写入文件 %1：%2"_s.arg(
                    QDir::toNativeSeparators(path),
                    FailureText::explain(probe.errorString(), {}, FailureText::Stage::File).shown());
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setPageLayout(m_pageLayout);
    writer.setResolution(600);
    writer.setCreator(u"SalonDesk"_s);
    if (!m_titles.isEmpty())
        writer.setTitle(expand(m_titles.first().text));
    if (!render(writer)) {
        if (error)
            *error = u"不能写入文件 %1"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}
