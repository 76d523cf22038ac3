#pragma once

#include <QHash>
#include <QString>

// The signed-in operator's rights: one flag per right column of 管理员,
// named like the column. A right that was never read is false.
class Rights
{
public:
    bool has(const QString &right) const { return m_flags.value(right, false); }
    void set(const QString &right, bool granted) { m_flags.insert(right, granted); }
    const QHash<QString, bool> &flags() const { return m_flags; }

    // Every right granted, for the first operator of a new shop.
    static Rights all();

private:
    QHash<QString, bool> m_flags;
};
