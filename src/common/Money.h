#pragma once

#include <QString>
#include <QVariant>

#include <compare>
#include <cstdint>
#include <optional>

// An exact amount with four decimal places, kept as a signed count of
// ten-thousandths. Quantities and discount factors use the same type, so a
// line total is Money * Money, rounded half to even at four decimals.
class Money
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t tenThousandths) { return Money(tenThousandths); }
    static constexpr Money fromInt(std::int64_t whole) { return Money(whole * Scale); }

    // Accepts "12", "-3.5", "0.0001", " 28.05 " and "+1"; more than four
    // decimals round half to even. Returns nothing for anything else.
    static std::optional<Money> parse(QStringView text);
    // Parses or throws std::invalid_argument; for values the program itself wrote.
    static Money fromText(QStringView text);
    // Reads a database value: integers, numeric text (PostgreSQL numeric)
    // and doubles (SQLite), the latter rounded to four decimals. NULL is 0.
    static Money fromVariant(const QVariant &value);
    // The same, but nothing for NULL and for what is not a number.
    static std::optional<Money> tryFromVariant(const QVariant &value);

    constexpr std::int64_t units() const { return m_units; }
    constexpr bool isZero() const { return m_units == 0; }

    // Shortest form: "28.05", "30", "12.5", "-0.0001".
    QString toString() const;
    // Fixed two decimals for printed lists and receipts: "28.05", "30.00".
    QString toFixed2() const;
    // For a spreadsheet cell or a chart, never for arithmetic: a double
    // holds every amount a salon books to the last ten-thousandth.
    double toDouble() const { return static_cast<double>(m_units) / Scale; }
    // The value to bind into a statement: its exact text.
    QVariant toVariant() const { return toString(); }

    constexpr Money operator+(Money o) const { return Money(m_units + o.m_units); }
    constexpr Money operator-(Money o) const { return Money(m_units - o.m_units); }
    constexpr Money operator-() const { return Money(-m_units); }
    Money &operator+=(Money o) { m_units += o.m_units; return *this; }
    Money &operator-=(Money o) { m_units -= o.m_units; return *this; }
    // Product rounded half to even at four decimals.
    Money operator*(Money factor) const;

    constexpr auto operator<=>(const Money &) const = default;

private:
    constexpr explicit Money(std::int64_t units) : m_units(units) {}
    std::int64_t m_units = 0;
};

Q_DECLARE_METATYPE(Money)
