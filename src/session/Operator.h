#pragma once

#include "Rights.h"

#include <QString>

// Who asks a rule class for something: the operator's name, as the records
// that name who did something store it, and the rights the rule class
// checks on entry.
struct Operator
{
    QString name;
    ::Rights rights;
};
