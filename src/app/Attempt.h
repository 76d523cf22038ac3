#pragma once

#include "common/Prompt.h"
#include "common/Refusal.h"
#include "db/DbError.h"

// Runs one operation a window was asked for. A refusal shows its text, a
// database error shows the database's own text; either way the operation
// has ended. True when it went through.
template <typename Operation>
bool attempt(Prompt &prompt, Operation &&operation)
{
    try {
        operation();
        return true;
    } catch (const Refusal &refusal) {
        prompt.message(refusal.text(), refusal.caption());
    } catch (const DbError &error) {
        prompt.message(error.text(), {}, Prompt::Kind::Error);
    }
    return false;
}
