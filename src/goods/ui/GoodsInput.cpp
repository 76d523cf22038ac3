#include "GoodsInput.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

using namespace Qt::StringLiterals;

namespace {

void filter(QLineEdit *edit, const QString &pattern)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}

} // namespace

namespace GoodsInput {

void digitsOnly(QLineEdit *edit)
{
    filter(edit, u"[0-9]*"_s);
}

void amountOnly(QLineEdit *edit)
{
    filter(edit, u"[0-9]*\\.?[0-9]*"_s);
}

void stockOnly(QLineEdit *edit)
{
    filter(edit, u"-?[0-9]*\\.?[0-9]*"_s);
}

} // namespace GoodsInput
