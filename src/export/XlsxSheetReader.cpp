#include "XlsxSheetReader.h"

#include "ExcelCellText.h"
#include "ExcelSheetBuilder.h"
#include "SheetXmlScanner.h"
#include "common/Refusal.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <unzip.h>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using DateKind = ExcelCellText::DateKind;

// Excel's limits; a reference beyond them is a damaged file.
constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384;

// How much of a workbook is read before it is refused: a part inflated,
// and the shared strings kept. A sheet of a hundred thousand goods stays
// well below each; a crafted file no longer takes all the memory there is.
constexpr qint64 MaxPartBytes = qint64(64) << 20;
constexpr qsizetype MaxSharedStrings = 1'000'000;
constexpr qsizetype MaxSharedCharacters = 16'000'000;

const QString Damaged = u"文件已损坏或不完整。"_s;
const QString NotAWorkbook = u"不是Excel工作簿。"_s;

[[noreturn]] void damaged(const QString &part)
{
    throw Refusal(u"文件已损坏或不完整（"_s + part + u"）。"_s);
}

// The zip archive and its parts, through minizip: the zip library that
// libxlsxwriter uses too. (QuaZip brings a modified copy of minizip under
// the same symbol names; with both in one program, the export would call
// QuaZip's copy and crash.) Part names are compared without regard to
// case, as the format says.
class Package
{
public:
    explicit Package(const QString &path)
        : m_zip(unzOpen64(QFile::encodeName(path).constData()))
    {
        if (!m_zip)
            throw Refusal(Damaged);
    }
    ~Package() { unzClose(m_zip); }
    Package(const Package &) = delete;
    Package &operator=(const Package &) = delete;

    bool has(const QString &part)
    {
        return unzLocateFile(m_zip, part.toUtf8().constData(), CaseInsensitive) == UNZ_OK;
    }

    QByteArray read(const QString &part)
    {
        unz_file_info64 info{};
        if (!has(part)
            || unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            damaged(part);
        if (info.flag & 1)
            throw Refusal(u"工作簿设有密码保护，请先在Excel中取消密码再导入。"_s);
        // minizip inflates no more than the size the archive states, so
        // checking that size bounds what is read.
        if (info.uncompressed_size > quint64(MaxPartBytes))
            throw ExcelSheetBuilder::tooLarge(u"工作簿太大：其中的 %1 解压后超过 %2 MB，无法读取。"_s.arg(
                part, QString::number(MaxPartBytes >> 20)));
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            damaged(part);
        QByteArray data;
        data.reserve(static_cast<qsizetype>(info.uncompressed_size));
        char buffer[65536];
        int count = 0;
        while ((count = unzReadCurrentFile(m_zip, buffer, sizeof buffer)) > 0) {
            if (data.size() + count > MaxPartBytes)
                damaged(part);
            data.append(buffer, count);
        }
        // Closing checks the CRC of what was read.
        const int closed = unzCloseCurrentFile(m_zip);
        if (count != 0 || closed != UNZ_OK)
            damaged(part);
        return data;
    }

private:
    static constexpr int CaseInsensitive = 2;

    unzFile m_zip;
};

// A part's XML, read through a buffer: handed the whole text at once,
// QXmlStreamReader would first turn all of it into UTF-16, tripling what
// the part costs.
class PartXml : public QXmlStreamReader
{
public:
    PartXml(Package &package, const QString &part)
        : m_data(package.read(part))
        , m_buffer(&m_data)
    {
        m_buffer.open(QIODevice::ReadOnly);
        setDevice(&m_buffer);
    }
    ~PartXml() { setDevice(nullptr); }
    PartXml(const PartXml &) = delete;
    PartXml &operator=(const PartXml &) = delete;

private:
    QByteArray m_data;
    QBuffer m_buffer;
};

struct Relationship
{
    QString type;
    QString target; // the part it names, resolved
};

QString folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString resolve(const QString &from, const QString &target)
{
    QString path = target.startsWith(u'/') ? target.mid(1) : folderOf(from) + target;
    path = QDir::cleanPath(path);
    return path.startsWith(u'/') ? path.mid(1) : path;
}

bool hasType(const Relationship &relationship, QStringView kind)
{
    return relationship.type.endsWith(u'/' + kind.toString());
}

void checkXml(const QXmlStreamReader &xml, const QString &part)
{
    if (xml.hasError())
        damaged(part);
}

// The relationships of a part, by id; none when it has no .rels part.
QHash<QString, Relationship> relationshipsOf(Package &package, const QString &part)
{
    const QString relsPart = folderOf(part) + u"_rels/"_s + part.mid(folderOf(part).size()) + u".rels"_s;
    QHash<QString, Relationship> relationships;
    if (!package.has(relsPart))
        return relationships;
    PartXml xml(package, relsPart);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value("TargetMode"_L1) == u"External")
            continue;
        relationships.insert(attributes.value("Id"_L1).toString(),
                             {attributes.value("Type"_L1).toString(),
                              resolve(part, attributes.value("Target"_L1).toString())});
    }
    checkXml(xml, relsPart);
    return relationships;
}

// Turns Excel's _xHHHH_ escapes (control characters) back into characters.
QString unescaped(const QString &text)
{
    if (!text.contains(u"_x"))
        return text;
    static const QRegularExpression escape(u"_x([0-9A-Fa-f]{4})_"_s);
    QString result;
    qsizetype from = 0;
    QRegularExpressionMatchIterator matches = escape.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result += QStringView(text).mid(from, match.capturedStart() - from);
        result += QChar(static_cast<char16_t>(match.captured(1).toUShort(nullptr, 16)));
        from = match.capturedEnd();
    }
    result += QStringView(text).mid(from);
    return result;
}

// The text of a rich or plain string (<si> or <is>), without its phonetic
// guide (<rPh>), which Excel does not show in the cell.
QString readStringItem(QXmlStreamReader &xml, QStringView element)
{
    QString text;
    while (xml.readNext() != QXmlStreamReader::Invalid) {
        if (xml.isEndElement() && xml.name() == element)
            break;
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"rPh")
            xml.skipCurrentElement();
        else if (xml.name() == u"t")
            text += xml.readElementText();
    }
    return unescaped(text);
}

// The shared strings, one after another in one text: a workbook of many
// short strings costs their characters, not an object each.
class SharedStrings
{
public:
    qsizetype size() const { return m_ends.size(); }
    QString at(qsizetype index) const
    {
        const qsizetype from = index == 0 ? 0 : m_ends.at(index - 1);
        return m_characters.mid(from, m_ends.at(index) - from);
    }
    void append(const QString &text)
    {
        if (m_ends.size() >= MaxSharedStrings)
            throw ExcelSheetBuilder::tooLarge(
                u"工作簿中的文字太多：超过 %1 条不同的文字，无法读取。"_s.arg(MaxSharedStrings));
        if (m_characters.size() + text.size() > MaxSharedCharacters)
            throw ExcelSheetBuilder::tooLarge(
                u"工作簿中的文字太多：合计超过 %1 个字符，无法读取。"_s.arg(MaxSharedCharacters));
        m_characters += text;
        m_ends.append(m_characters.size());
    }

private:
    QString m_characters;
    QList<qsizetype> m_ends;
};

SharedStrings readSharedStrings(Package &package, const QString &part)
{
    SharedStrings strings;
    PartXml xml(package, part);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings.append(readStringItem(xml, u"si"));
    }
    checkXml(xml, part);
    return strings;
}

// Whether a number format shows a date, a time or both. Quoted text,
// escaped characters and bracketed parts ([Red], [$-804]) are no
// placeholders; [h], [mm] and [ss] are elapsed time.
std::optional<DateKind> kindOfCode(const QString &code)
{
    if (code.compare(u"General"_s, Qt::CaseInsensitive) == 0)
        return std::nullopt;
    bool date = false, month = false, time = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (c == u';')
            break; // the first section decides
        if (c == u'"') {
            const qsizetype end = code.indexOf(u'"', i + 1);
            i = end < 0 ? code.size() : end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1).toLower();
            if (!inside.isEmpty()
                && std::all_of(inside.cbegin(), inside.cend(),
                               [&inside](QChar x) { return x == inside.front(); })
                && (inside.front() == u'h' || inside.front() == u'm' || inside.front() == u's'))
                time = true;
            i = end < 0 ? code.size() : end;
        } else if (c == u'y' || c == u'd') {
            date = true;
        } else if (c == u'm') {
            month = true;
        } else if (c == u'h' || c == u's') {
            time = true;
        }
    }
    // An m beside h or s is minutes; alone it is the month.
    date = date || (month && !time);
    if (date && time)
        return DateKind::DateTime;
    if (date)
        return DateKind::Date;
    if (time)
        return DateKind::Time;
    return std::nullopt;
}

// Excel's built-in number formats that show dates and times, the Chinese
// ones (27 to 36, 50 to 58) included.
std::optional<DateKind> kindOfBuiltIn(int id)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 58))
        return DateKind::Date;
    if (id == 22)
        return DateKind::DateTime;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47))
        return DateKind::Time;
    return std::nullopt;
}

// For each cell style (the s attribute of a cell), whether it shows a date.
QList<std::optional<DateKind>> readDateStyles(Package &package, const QString &part)
{
    QHash<int, QString> codes;
    QList<std::optional<DateKind>> styles;
    PartXml xml(package, part);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"cellXfs")
            inCellXfs = false;
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"numFmt") {
            codes.insert(attributes.value("numFmtId"_L1).toInt(),
                         attributes.value("formatCode"_L1).toString());
        } else if (xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == u"xf") {
            const int id = attributes.value("numFmtId"_L1).toInt();
            const auto code = codes.constFind(id);
            styles.append(code != codes.cend() ? kindOfCode(*code) : kindOfBuiltIn(id));
        }
    }
    checkXml(xml, part);
    return styles;
}

struct Workbook
{
    struct Sheet
    {
        QString name;
        QString relationship;
    };
    QList<Sheet> sheets;
    int activeTab = 0;
    bool epoch1904 = false;
};

Workbook readWorkbook(Package &package, const QString &part)
{
    Workbook workbook;
    PartXml xml(package, part);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"sheet") {
            Workbook::Sheet sheet{attributes.value("name"_L1).toString(), {}};
            // r:id, whatever the prefix of the relationships namespace.
            for (const QXmlStreamAttribute &attribute : attributes) {
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    sheet.relationship = attribute.value().toString();
            }
            workbook.sheets.append(sheet);
        } else if (xml.name() == u"workbookView") {
            workbook.activeTab = attributes.value("activeTab"_L1).toInt();
        } else if (xml.name() == u"workbookPr") {
            const auto value = attributes.value("date1904"_L1);
            workbook.epoch1904 = value == u"1" || value == u"true";
        }
    }
    checkXml(xml, part);
    return workbook;
}

// "B12" → row 12, column 2; false for anything else.
bool parseReference(QStringView reference, int *row, int *column)
{
    qsizetype i = 0;
    int columnNumber = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        const char16_t c = QChar::toUpper(reference[i].unicode());
        if (c < u'A' || c > u'Z' || columnNumber > MaxColumns)
            return false;
        columnNumber = columnNumber * 26 + (c - u'A' + 1);
    }
    bool ok = false;
    const int rowNumber = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok)
        return false;
    *row = rowNumber;
    *column = columnNumber;
    return true;
}

QString isoDateText(const QString &value)
{
    // t="d" cells hold ISO 8601: "2008-08-08", "2008-08-08T13:05:06".
    if (!value.contains(u'T'))
        return value;
    const QDateTime moment = QDateTime::fromString(value.left(19), Qt::ISODate);
    if (!moment.isValid())
        return value;
    if (value.left(10).startsWith(u"1899-12-3"))
        return moment.time().toString(u"hh:mm:ss"_s);
    return moment.toString(u"yyyy-MM-dd hh:mm:ss"_s);
}

class SheetParser
{
public:
    SheetParser(const SharedStrings &strings, const QList<std::optional<DateKind>> &styles,
                bool epoch1904, QString part, int keptColumns)
        : m_strings(strings)
        , m_styles(styles)
        , m_epoch1904(epoch1904)
        , m_part(std::move(part))
        , m_cells(keptColumns)
    {
    }

    ExcelSheet parse(const QByteArray &data, const QString &name)
    {
        SheetXmlScanner xml(data);
        int row = 0;
        int column = 0;
        for (;;) {
            const SheetXmlScanner::Token token = xml.next();
            if (token == SheetXmlScanner::Token::Done)
                break;
            if (token != SheetXmlScanner::Token::Start)
                continue;
            if (xml.name() == "row") {
                const QString number = xml.attribute("r");
                row = number.isEmpty() ? row + 1 : number.toInt();
                column = 0;
                if (row < 1 || row > MaxRows)
                    damaged(m_part);
            } else if (xml.name() == "c") {
                const QString reference = xml.attribute("r");
                if (reference.isEmpty()) {
                    ++column;
                } else {
                    int referenceRow = 0;
                    if (!parseReference(reference, &referenceRow, &column) || referenceRow != row)
                        damaged(m_part);
                }
                if (row < 1 || column < 1 || column > MaxColumns)
                    damaged(m_part);
                const QString type = xml.attribute("t");
                const int style = xml.attribute("s").toInt();
                m_cells.add(row, column, readCell(xml, type, style));
            }
        }
        if (xml.failed())
            damaged(m_part);
        return m_cells.take(name);
    }

private:
    // The text of the current element, up to its end tag.
    static QString readText(SheetXmlScanner &xml)
    {
        QString text;
        int depth = 1;
        while (depth > 0) {
            switch (xml.next()) {
            case SheetXmlScanner::Token::Start:
                ++depth;
                break;
            case SheetXmlScanner::Token::End:
                --depth;
                break;
            case SheetXmlScanner::Token::Text:
                if (depth == 1)
                    text += xml.text();
                break;
            case SheetXmlScanner::Token::Done:
                return text;
            }
        }
        return text;
    }

    static void skipElement(SheetXmlScanner &xml)
    {
        int depth = 1;
        while (depth > 0) {
            const SheetXmlScanner::Token token = xml.next();
            if (token == SheetXmlScanner::Token::Start)
                ++depth;
            else if (token == SheetXmlScanner::Token::End)
                --depth;
            else if (token == SheetXmlScanner::Token::Done)
                return;
        }
    }

    // An inline string (<is>): the texts of its runs, without the
    // phonetic guide.
    static QString readInlineString(SheetXmlScanner &xml)
    {
        QString text;
        for (;;) {
            const SheetXmlScanner::Token token = xml.next();
            if (token == SheetXmlScanner::Token::Done
                || (token == SheetXmlScanner::Token::End && xml.name() == "is"))
                break;
            if (token != SheetXmlScanner::Token::Start)
                continue;
            if (xml.name() == "t")
                text += readText(xml);
            else if (xml.name() != "r")
                skipElement(xml); // rPh, rPr and the like
        }
        return unescaped(text);
    }

    QString readCell(SheetXmlScanner &xml, const QString &type, int style)
    {
        QString value;
        QString inlineText;
        for (;;) {
            const SheetXmlScanner::Token token = xml.next();
            if (token == SheetXmlScanner::Token::Done || token == SheetXmlScanner::Token::End)
                break; // the cell's own end
            if (token != SheetXmlScanner::Token::Start)
                continue;
            if (xml.name() == "v")
                value = readText(xml);
            else if (xml.name() == "is")
                inlineText = readInlineString(xml);
            else
                skipElement(xml); // a formula: its cached value is in <v>
        }
        if (type == u"inlineStr")
            return inlineText;
        if (value.isEmpty())
            return {};
        if (type == u"s") {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0 || index >= m_strings.size())
                damaged(m_part);
            return m_strings.at(index);
        }
        if (type == u"str" || type == u"e")
            return unescaped(value);
        if (type == u"b")
            return value == u"1" ? u"TRUE"_s : u"FALSE"_s;
        if (type == u"d")
            return isoDateText(value);
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            damaged(m_part);
        if (style >= 0 && style < m_styles.size() && m_styles.at(style)) {
            const QString date = ExcelCellText::date(number, *m_styles.at(style), m_epoch1904);
            if (!date.isEmpty())
                return date;
        }
        return ExcelCellText::number(number);
    }

    const SharedStrings &m_strings;
    const QList<std::optional<DateKind>> &m_styles;
    bool m_epoch1904;
    QString m_part;
    ExcelSheetBuilder m_cells;
};

} // namespace

namespace XlsxSheetReader {

ExcelSheet read(const QString &path, int keptColumns)
{
    Package package(path);
    QString workbookPart;
    for (const Relationship &relationship : relationshipsOf(package, QString())) {
        if (hasType(relationship, u"officeDocument"))
            workbookPart = relationship.target;
    }
    if (workbookPart.isEmpty() || !package.has(workbookPart))
        throw Refusal(NotAWorkbook);

    const Workbook workbook = readWorkbook(package, workbookPart);
    const QHash<QString, Relationship> parts = relationshipsOf(package, workbookPart);
    SharedStrings strings;
    QList<std::optional<DateKind>> styles;
    for (const Relationship &relationship : parts) {
        if (hasType(relationship, u"sharedStrings"))
            strings = readSharedStrings(package, relationship.target);
        else if (hasType(relationship, u"styles"))
            styles = readDateStyles(package, relationship.target);
    }

    // The active sheet, unless it is a chart: then the first worksheet.
    const auto worksheetAt = [&](qsizetype index) -> const Workbook::Sheet * {
        if (index < 0 || index >= workbook.sheets.size())
            return nullptr;
        const auto part = parts.constFind(workbook.sheets.at(index).relationship);
        return part != parts.cend() && hasType(*part, u"worksheet") ? &workbook.sheets.at(index)
                                                                     : nullptr;
    };
    const Workbook::Sheet *sheet = worksheetAt(workbook.activeTab);
    for (qsizetype i = 0; !sheet && i < workbook.sheets.size(); ++i)
        sheet = worksheetAt(i);
    if (!sheet)
        throw Refusal(u"工作簿中没有工作表。"_s);

    const QString sheetPart = parts.value(sheet->relationship).target;
    SheetParser parser(strings, styles, workbook.epoch1904, sheetPart, keptColumns);
    return parser.parse(package.read(sheetPart), sheet->name);
}

} // namespace XlsxSheetReader
