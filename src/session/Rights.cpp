#include "Rights.h"

#include "db/Schema.h"

Rights Rights::all()
{
    Rights rights;
    for (const QString &right : Schema::rightColumns())
        rights.set(right, true);
    return rights;
}
