#include "PdfText.h"

#include <QHash>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// Qt's PDF maps a glyph back to the first character that uses it, so an
// ideograph that shares its glyph with a radical reads back as the radical.
// Kangxi radicals fold back under NFKC; a few supplement radicals need a table.
QString foldRadicals(const QString &text)
{
    static const QHash<char16_t, char16_t> radicals{
        {0x2EC5, u'见'}, {0x2EC9, u'贝'}, {0x2ECB, u'车'}, {0x2ED3, u'长'}, {0x2ED4, u'门'},
        {0x2EDA, u'页'}, {0x2EDB, u'风'}, {0x2EDC, u'飞'}, {0x2EE2, u'马'}, {0x2EE9, u'黄'},
    };
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x2F00 && c.unicode() <= 0x2FDF)
            folded += QString(c).normalized(QString::NormalizationForm_KC);
        else if (const auto it = radicals.constFind(c.unicode()); it != radicals.constEnd())
            folded += QChar(*it);
        else
            folded += c;
    }
    return folded;
}

} // namespace

namespace PdfText {

bool available()
{
    return !QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty();
}

QStringList pages(const QString &path, QString *error)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(u"pdftotext"_s),
                  {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        return {};
    }
    QStringList result = foldRadicals(QString::fromUtf8(process.readAllStandardOutput()))
                             .split(u'\f');
    // pdftotext ends every page with a form feed, the last one too.
    if (!result.isEmpty() && result.last().trimmed().isEmpty())
        result.removeLast();
    return result;
}

} // namespace PdfText
