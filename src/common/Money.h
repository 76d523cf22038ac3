#pragma once

#include <QString>
#include <QVariant>

#include <compare>
#include <cstdint>
#include <optional>

// An exact amount with four decimal places, kept as a signed count of
// ten-thousandths. Quantities and discount factors use the same type, so a
// line total is Money * Money, rounded half to even at four decimals.
// Arithmetic that would leave the 64-bit count throws a Refusal
// ("金额超出范围") instead of wrapping round to a wrong amount.
//
// What the program stores is held to a narrower range, ±Max: SQLite keeps a
// numeric column as a double, whose 15 significant digits hold eleven whole
// digits and four decimals exactly and no more. Every entry (typed, imported
// or computed at booking) outside it is refused with OutOfRange, so all that
// is stored reads back as it was written. Reading takes anything the count
// holds, so an older shop with a bigger value still opens.
class Money
{
public:
    static constexpr std::int64_t Scale = 10000;
    // 99,999,999,999.9999 in ten-thousandths.
    static constexpr std::int64_t MaxUnits = 999'999'999'999'999;
    static const Money Max;
    static constexpr auto OutOfRange = u"金额超出范围";

    constexpr Money() = default;
    // A count of ten-thousandths, as a database sums them exactly.
    static constexpr Money fromUnits(std::int64_t tenThousandths) { return Money(tenThousandths); }
    static constexpr Money fromInt(std::int64_t whole)
    {
        std::int64_t units = 0;
        if (__builtin_mul_overflow(whole, Scale, &units))
            outOfRange();
        return Money(units);
    }

    // Accepts "12", "-3.5", "0.0001", " 28.05 " and "+1"; more than four
    // decimals round half to even. Returns nothing for anything else,
    // including a number beyond what the count holds.
    static std::optional<Money> parse(QStringView text);
    // An amount typed into a box or read from a sheet's cell: parse(), then
    // the stored range. Nothing when the text is no number; Refusal
    // (OutOfRange) for a number past ±Max, however many digits it has (an
    // exponent form such as "1e+21", as a sheet writes huge numbers, too).
    static std::optional<Money> parseEntry(QStringView text);
    // Parses or throws std::invalid_argument; for values the program itself wrote.
    static Money fromText(QStringView text);
    // Reads a database value: integers, numeric text (PostgreSQL numeric)
    // and doubles (SQLite), the latter rounded half to even to four
    // decimals. NULL is 0. Throws std::invalid_argument for what is not an
    // amount, infinity, NaN and magnitudes beyond what the count holds.
    static Money fromVariant(const QVariant &value);
    // The same, but nothing for NULL and for what is not an amount.
    static std::optional<Money> tryFromVariant(const QVariant &value);

    constexpr std::int64_t units() const { return m_units; }

    // Whether the amount lies within ±Max, the range that is stored.
    constexpr bool inRange() const { return m_units >= -MaxUnits && m_units <= MaxUnits; }
    // The amount itself, or Refusal(OutOfRange) past ±Max: for every value
    // about to be stored, entered or computed.
    Money withinRange() const;

    // Shortest form: "28.05", "30", "12.5", "-0.0001".
    QString toString() const;
    // Fixed two decimals for printed lists and receipts: "28.05", "30.00".
    QString toFixed2() const;
    // Rounded to a whole number, ties to the even neighbour (12.5 → 12,
    // 13.5 → 14), as receipts print unit prices.
    std::int64_t roundedWhole() const;
    // For a spreadsheet cell or a chart, never for arithmetic: a double
    // holds every amount a salon books to the last ten-thousandth.
    double toDouble() const { return static_cast<double>(m_units) / Scale; }
    // The value to bind into a statement: its exact text.
    QVariant toVariant() const { return toString(); }

    constexpr Money operator+(Money o) const
    {
        std::int64_t sum = 0;
        if (__builtin_add_overflow(m_units, o.m_units, &sum))
            outOfRange();
        return Money(sum);
    }
    constexpr Money operator-(Money o) const
    {
        std::int64_t difference = 0;
        if (__builtin_sub_overflow(m_units, o.m_units, &difference))
            outOfRange();
        return Money(difference);
    }
    constexpr Money &operator+=(Money o) { return *this = *this + o; }
    // Product rounded half to even at four decimals.
    Money operator*(Money factor) const;

    constexpr auto operator<=>(const Money &) const = default;

private:
    constexpr explicit Money(std::int64_t units) : m_units(units) {}
    // Throws the Refusal; out of line so every user of Money need not see it.
    [[noreturn]] static void outOfRange();

    std::int64_t m_units = 0;
};

inline constexpr Money Money::Max = Money::fromUnits(Money::MaxUnits);

Q_DECLARE_METATYPE(Money)
