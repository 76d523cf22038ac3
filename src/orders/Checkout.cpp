#include "Checkout.h"

#include "BillNumber.h"

#include "board/PlateState.h"
#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/Refusal.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "members/MemberCards.h"
#include "operators/OperatorStore.h"
#include "stores/LineStore.h"
#include "stores/PlateStore.h"

#include <QSqlRecord>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

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
    PlateStore(m_database).clearFreeMainPlates();

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
    const PlateStore::Plate row = PlateStore(m_database).plate(m_plate).value_or(PlateStore::Plate());
    m_mainPlate = row.mainPlate.isEmpty() ? m_plate : row.mainPlate;
    m_customer = row.customer.isEmpty() ? m_member.name : row.customer;
    m_deposit = row.deposit ? row.deposit->toString() : u"0"_s;
    m_entryMoment = row.entered.isValid() ? row.entered : m_shownAt;
    m_entryTime = DateFormat::dateTimeText(m_entryMoment);
}

QStringList Checkout::occupiedOutsideGroup()
{
    return PlateStore(m_database).occupiedOutside(m_mainPlate);
}

void Checkout::readGroup()
{
    // Only occupied plates join: a plate reserved or stopped after an
    // earlier visit may still carry the number, and could never be settled.
    m_group = PlateStore(m_database).group(m_mainPlate, m_plate);
    // The checkout plate leads the list even if another plate's number is lower.
    m_group.removeAll(m_plate);
    m_group.prepend(m_plate);
}

void Checkout::resetTotals()
{
    // An earlier checkout that was left may have discounted the group's
    // lines; the bill starts again from list prices. Only lines that differ
    // are written.
    LineStore store(m_database);
    QList<std::pair<qint64, Money>> changed;
    for (const LineStore::Line &line : store.groupLines(m_mainPlate)) {
        const Money total = line.price * line.quantity;
        if (total != line.total)
            changed.append({line.id, total});
    }
    if (changed.isEmpty())
        return;
    Transaction transaction(m_database);
    store.setTotals(changed);
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
    LineStore(m_database).unstamp(plate, m_billNumber);
    m_group.removeOne(plate);
    m_others.append(plate);
    readAndStamp();
    transaction.commit();
    JiSuan();
    splitAgain();
}

void Checkout::stamp(const QStringList &plates, const QString &number)
{
    LineStore(m_database).stamp(plates, number, m_member.card, m_member.name);
}

void Checkout::DuXfmx()
{
    Transaction transaction(m_database);
    // Two workstations showing their checkouts in the same second start
    // from the same number. The number is settled under the lock that
    // every choice of a number takes, so the later of the two sees the
    // earlier one's stamps and moves on.
    BillNumber::lock(m_database);
    readAndStamp();
    transaction.commit();
}

void Checkout::readAndStamp()
{
    QList<Line> lines;
    // The plates go in one fixed order, so two workstations stamping the
    // same group from different plates cannot each hold what the other
    // waits for (PostgreSQL).
    QStringList plates = m_group;
    plates.sort();
    stamp(plates, m_billNumber);
    const QString number = BillNumber::firstFree(m_database, m_billNumber, m_group);
    if (number != m_billNumber)
        stamp(plates, number);
    LineStore store(m_database);
    for (const QString &plate : std::as_const(m_group)) {
        for (const LineStore::Line &stored : store.openLines(plate)) {
            Line line;
            line.id = static_cast<int>(stored.id);
            line.goods = stored.goods;
            line.price = stored.price;
            line.actualPrice = stored.price;
            line.quantity = stored.quantity;
            line.discounts = stored.discounts;
            line.rateText = stored.rate ? stored.rate->toString() : stored.unreadableRate;
            line.total = stored.total;
            line.plate = stored.plate;
            line.employee = stored.employee;
            line.operatorName = stored.operatorName;
            line.mainPlate = stored.mainPlate;
            lines.append(line);
        }
    }
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
    QList<LineStore::Discounted> discounted;
    for (Line &line : lines) {
        if (line.discounts.compare(u"y"_s, Qt::CaseInsensitive) != 0)
            continue;
        // A rate above 1 raises prices; what is stored must read back.
        line.actualPrice = (line.price * rate).withinRange();
        line.total = (line.actualPrice * line.quantity).withinRange();
        line.rateText = m_rateText.trimmed();
        // By each line's own ID, so two lines of the same goods on one
        // plate keep their own totals.
        discounted.append({line.id, line.actualPrice, line.total});
    }
    Transaction transaction(m_database);
    LineStore(m_database).discount(rate, discounted);
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
    MemberCards cards(m_database);
    if (!cards.find(card))
        throw Refusal(QString::fromUtf16(UnknownCard));
    const QString password = QString::fromUtf16(OperatorStore::DefaultPassword);
    return cards.identify(card, password) ? password : QString();
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
    const std::optional<MemberCards::Card> found = MemberCards(m_database).identify(card, password);
    if (!found)
        throw Refusal(QString::fromUtf16(WrongPassword));
    Member member;
    member.card = found->card;
    member.name = found->name;
    member.type = found->type;
    member.points = found->points;
    member.balance = found->balance;
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
