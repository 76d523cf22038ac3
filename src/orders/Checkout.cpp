#include "Checkout.h"

#include "BillNumber.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "operators/OperatorStore.h"

#include <QSqlQuery>

#include <algorithm>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

QString occupied()
{
    return QString::fromUtf16(PlateState::Occupied);
}

Money lineAmount(const QVariant &value, const QString &column)
{
    return readAmount(value, u"xfmx"_s, column);
}

} // namespace

QStringList Checkout::paymentMethods()
{
    return {QString::fromUtf16(Cash), QString::fromUtf16(ByCard), QString::fromUtf16(BankCard),
            QString::fromUtf16(Cheque)};
}

Checkout::Checkout(Database &database, const Clock &clock, const QString &plate)
    : m_database(database), m_clock(clock), m_plate(plate)
{
}

void Checkout::open()
{
    // A free plate's main plate is history; clearing it keeps the next
    // group from gathering plates that merely shared a number once.
    m_database.execute(u"update 号牌管理 set 主号牌='' where 号牌状态=? and 主号牌<>''"_s,
                       {QString::fromUtf16(PlateState::Free)});
    m_database.announce(Change::Plates);

    m_shownAt = m_clock.now();
    // Where another open checkout has this number already, reading the
    // lines moves it on.
    m_billNumber = BillNumber::fromMoment(m_shownAt);
    m_method = QString::fromUtf16(Cash);
    m_rateText = u"1"_s;
    m_member = Member{QString::fromUtf16(NoMember), QString::fromUtf16(Walkin),
                      QString::fromUtf16(Walkin), Money(), Money()};
    m_cardDeduction = Money();
    m_remark = u"无"_s;

    readPlate();
    m_others = occupiedOutsideGroup();
    readGroup();
    resetTotals();
    DuXfmx();
    JiSuan();
}

void Checkout::readPlate()
{
    const QSqlRecord row = m_database.firstRow(
        u"select 主号牌, 顾客姓名, 押金金额, 进店时间 from 号牌管理 where 号牌=?"_s, {m_plate});
    const QString main = row.value(u"主号牌"_s).toString();
    m_mainPlate = main.isEmpty() ? m_plate : main;

    const QString customer = row.value(u"顾客姓名"_s).toString();
    m_customer = customer.isEmpty() ? m_member.name : customer;
    const std::optional<Money> deposit = tryReadAmount(row.value(u"押金金额"_s));
    m_deposit = deposit ? deposit->toString() : u"0"_s;
    const QDateTime entry = DateFormat::fromVariant(row.value(u"进店时间"_s));
    m_entryMoment = entry.isValid() ? entry : m_shownAt;
    m_entryTime = DateFormat::dateTimeText(m_entryMoment);
}

QStringList Checkout::occupiedOutsideGroup()
{
    QStringList plates;
    QSqlQuery query = m_database.exec(
        u"select 号牌 from 号牌管理 where 号牌状态=? and 号牌<>? and coalesce(主号牌, '')<>? "
        "order by number"_s,
        {occupied(), m_mainPlate, m_mainPlate});
    while (query.next())
        plates.append(query.value(0).toString());
    return plates;
}

void Checkout::readGroup()
{
    // Only occupied plates join: a plate reserved or stopped after an
    // earlier visit may still carry the number, and could never be settled.
    m_group.clear();
    QSqlQuery query = m_database.exec(
        u"select 号牌 from 号牌管理 where (主号牌=? and 号牌状态=?) or 号牌=? order by number"_s,
        {m_mainPlate, occupied(), m_plate});
    while (query.next())
        m_group.append(query.value(0).toString());
    // The checkout plate leads the list even if another plate's number is lower.
    m_group.removeAll(m_plate);
    m_group.prepend(m_plate);
}

void Checkout::resetTotals()
{
    // An earlier checkout that was left may have discounted the group's
    // lines; the bill starts again from list prices. Only lines that differ
    // are written.
    QList<std::pair<int, Money>> changed;
    QSqlQuery query = m_database.exec(
        u"select ID, 单价, 数量, 合计 from xfmx where 主号牌=?"_s, {m_mainPlate});
    while (query.next()) {
        const Money total = lineAmount(query.value(1), u"单价"_s)
            * lineAmount(query.value(2), u"数量"_s);
        if (total != lineAmount(query.value(3), u"合计"_s))
            changed.append({query.value(0).toInt(), total});
    }
    if (changed.isEmpty())
        return;
    Transaction transaction(m_database);
    for (const auto &[id, total] : changed)
        m_database.execute(u"update xfmx set 合计=? where ID=?"_s, {total.toVariant(), id});
    m_database.announce(Change::Lines);
    transaction.commit();
}

void Checkout::moveIn(const QString &plate)
{
    if (!m_others.removeOne(plate))
        return;
    m_group.append(plate);
    DuXfmx();
    JiSuan();
    splitAgain();
}

void Checkout::moveOut(const QString &plate)
{
    if (plate == m_plate || !m_group.contains(plate))
        return;
    Transaction transaction(m_database);
    BillNumber::lock(m_database);
    // The plate's lines are no longer this bill's: its receipt must not
    // list them, nor may they keep the number from this checkout. Lines
    // that another checkout has stamped since keep that checkout's number.
    m_database.execute(u"update xfmx set 单据号=null where 号牌=? and 单据号=?"_s,
                       {plate, m_billNumber});
    m_group.removeOne(plate);
    m_others.append(plate);
    DuXfmx();
    m_database.announce(Change::Lines);
    transaction.commit();
    JiSuan();
    splitAgain();
}

void Checkout::stamp(const QStringList &plates, const QString &number)
{
    for (const QString &plate : plates) {
        m_database.execute(u"update xfmx set 单据号=?, 会员卡号=?, 顾客姓名=? where 号牌=?"_s,
                           {number, m_member.card, m_member.name, plate});
    }
}

void Checkout::DuXfmx()
{
    QList<Line> lines;
    Transaction transaction(m_database);
    // Two workstations showing their checkouts in the same second start
    // from the same number. The number is settled under the lock that
    // every choice of a number takes, so the later of the two sees the
    // earlier one's stamps and moves on.
    BillNumber::lock(m_database);
    // The stamps come first: on SQLite a write after a read in the same
    // transaction is refused at once while another workstation writes,
    // where a first write waits its turn (and holds the database's write
    // lock from then on). The plates go in one fixed order, so two
    // workstations stamping the same group from different plates cannot
    // each hold what the other waits for (PostgreSQL).
    QStringList plates = m_group;
    plates.sort();
    stamp(plates, m_billNumber);
    const QString number = BillNumber::firstFree(m_database, m_billNumber, m_group);
    if (number != m_billNumber)
        stamp(plates, number);
    for (const QString &plate : std::as_const(m_group)) {
        QSqlQuery query = m_database.exec(
            u"select ID, 商品名, 单价, 数量, 参与打折, 折扣, 合计, 号牌, 员工编号, 营业员, 主号牌 "
            "from xfmx where 号牌=? order by ID"_s,
            {plate});
        while (query.next()) {
            Line line;
            line.id = query.value(0).toInt();
            line.goods = query.value(1).toString();
            line.price = lineAmount(query.value(2), u"单价"_s);
            line.actualPrice = line.price;
            line.quantity = lineAmount(query.value(3), u"数量"_s);
            line.discounts = query.value(4).toString();
            line.rateText = amountText(query.value(5));
            line.total = lineAmount(query.value(6), u"合计"_s);
            line.plate = query.value(7).toString();
            line.employee = query.value(8).toString();
            line.operatorName = query.value(9).toString();
            line.mainPlate = query.value(10).toString();
            lines.append(line);
        }
    }
    m_database.announce(Change::Lines);
    transaction.commit();
    m_billNumber = number;
    m_lines = lines;
}

Money Checkout::rate(const QString &text) const
{
    const std::optional<Money> rate = Money::parseEntry(text.trimmed());
    if (!rate || *rate < Money())
        throw Refusal(u"打折率输入错误!"_s);
    return *rate;
}

void Checkout::DaZheHs()
{
    const Money rate = this->rate(m_rateText);
    QList<Line> lines = m_lines;
    QList<const Line *> discounted;
    for (Line &line : lines) {
        if (line.discounts.compare(u"y"_s, Qt::CaseInsensitive) != 0)
            continue;
        // A rate above 1 raises prices; what is stored must read back.
        line.actualPrice = (line.price * rate).withinRange();
        line.total = (line.actualPrice * line.quantity).withinRange();
        line.rateText = m_rateText.trimmed();
        discounted.append(&line);
    }
    // By each line's own ID, so two lines of the same goods on one plate
    // keep their own totals; in ID order, so two workstations discounting
    // one group take its rows in the same order; a hundred lines to a
    // statement, as a server round trip costs more than the update.
    std::sort(discounted.begin(), discounted.end(),
              [](const Line *a, const Line *b) { return a->id < b->id; });
    constexpr qsizetype Chunk = 100;
    Transaction transaction(m_database);
    for (qsizetype from = 0; from < discounted.size(); from += Chunk) {
        const QList<const Line *> chunk = discounted.mid(from, Chunk);
        QString prices;
        QString totals;
        QString ids;
        QVariantList priceValues;
        QVariantList totalValues;
        QVariantList idValues;
        for (const Line *line : chunk) {
            prices += u" when ? then cast(? as numeric)"_s;
            totals += u" when ? then cast(? as numeric)"_s;
            ids += ids.isEmpty() ? u"?"_s : u", ?"_s;
            priceValues << line->id << line->actualPrice.toVariant();
            totalValues << line->id << line->total.toVariant();
            idValues << line->id;
        }
        m_database.execute(u"update xfmx set 折扣=cast(? as numeric), 实际单价=case ID"_s + prices
                               + u" end, 合计=case ID"_s + totals + u" end where ID in ("_s + ids
                               + u')',
                           QVariantList{rate.toVariant()} + priceValues + totalValues + idValues);
    }
    m_database.announce(Change::Lines);
    transaction.commit();
    m_lines = lines;
}

void Checkout::JiSuan()
{
    Money total;
    for (const Line &line : std::as_const(m_lines))
        total += line.total;
    m_consumption = total;
    m_due = total;
    m_received = total;
}

void Checkout::applyRate(const QString &rateText)
{
    m_rateText = rateText;
    DaZheHs();
    JiSuan();
    splitAgain();
}

QString Checkout::lookUpCard(const QString &card)
{
    const QSqlRecord row =
        m_database.firstRow(u"select 密码 from 会员管理 where 会员卡号=?"_s, {card});
    if (row.isEmpty())
        throw Refusal(QString::fromUtf16(UnknownCard));
    const QString password = QString::fromUtf16(OperatorStore::DefaultPassword);
    return row.value(0).toString() == password ? password : QString();
}

QString Checkout::identify(const QString &card, const QString &password)
{
    // The split is always the identified member's: one left from the member
    // identified before would take from this card what it may not hold.
    QString notice;
    try {
        notice = identifyMember(card, password);
    } catch (...) {
        splitAgain();
        throw;
    }
    splitAgain();
    return notice;
}

QString Checkout::identifyMember(const QString &card, const QString &password)
{
    const QSqlRecord row = m_database.firstRow(
        u"select 会员卡号, 会员姓名, 会员类型, 当前积分, 卡内金额 from 会员管理 "
        "where 会员卡号=? and 密码=?"_s,
        {card, password});
    if (row.isEmpty())
        throw Refusal(QString::fromUtf16(WrongPassword));
    Member member;
    member.card = row.value(0).toString();
    member.name = row.value(1).toString();
    member.type = row.value(2).toString();
    member.points = readAmount(row.value(3), u"会员管理"_s, u"当前积分"_s);
    member.balance = readAmount(row.value(4), u"会员管理"_s, u"卡内金额"_s);
    m_member = member;
    m_customer = member.name;

    const QSqlRecord type =
        m_database.firstRow(u"select 打折率 from 会员类型 where 类型名称=?"_s, {member.type});
    if (type.isEmpty())
        return {};
    const std::optional<Money> rate = tryReadAmount(type.value(0));
    if (!rate) {
        // A rate never set is no rate of 0, which would give everything away.
        applyRate(u"1"_s);
        return u"会员类型 %1 没有设置打折率，不打折。请在会员类型中设置它的打折率；"
               "这一单要打折时，在打折率中输入后回车。"_s
            .arg(member.type);
    }
    // The rate is applied as shown, to two decimals: 0.875 becomes 0.88.
    applyRate(rate->toFixed2());
    return {};
}

void Checkout::choosePayment(const QString &method)
{
    m_method = method.trimmed();
    splitPayment();
}

void Checkout::splitAgain()
{
    if (m_method == QStringView(ByCard))
        splitPayment();
}

void Checkout::splitPayment()
{
    if (m_method == QStringView(Cash)) {
        m_received = m_due;
        m_cardDeduction = Money();
    } else if (m_method == QStringView(ByCard)) {
        if (!hasMember()) {
            m_method = QString::fromUtf16(Cash);
            m_cardDeduction = Money();
            throw Refusal(QString::fromUtf16(CardNeedsMember));
        }
        // The card pays what it holds, up to the amount due; the rest is
        // received. A card or a bill below zero pays nothing.
        Money fromCard = std::min(m_member.balance, m_due);
        if (fromCard < Money())
            fromCard = Money();
        m_cardDeduction = fromCard;
        m_received = m_due - fromCard;
    }
    // Bank card and cheque leave the amounts as they are.
}

void Checkout::setReceived(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        m_received = Money();
        return;
    }
    const std::optional<Money> received = Money::parseEntry(text);
    if (!received)
        throw Refusal(u"实收金额输入错误!"_s);
    m_received = *received;
}
