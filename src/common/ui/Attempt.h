#pragma once

#include "common/Prompt.h"
#include "common/Refusal.h"
#include "db/DbError.h"

#include <QString>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

// How a window runs what the user asked for. Nothing that goes wrong inside
// ends the program or passes unseen: a refusal shows its own text (and
// caption), a database error what happened with the database's text as a
// detail, any other failure its message. Either way the operation has ended.
// Shows what ended an operation; call only from inside a catch block.
inline void showFailure(Prompt &prompt)
{
    try {
        throw;
    } catch (const Refusal &refusal) {
        prompt.message(refusal.text(), refusal.caption());
    } catch (const DbError &error) {
        prompt.failure(error.sentence(), error.detail());
    } catch (const std::exception &error) {
        const QString text = QString::fromUtf8(error.what()).trimmed();
        prompt.message(text.isEmpty() ? QStringLiteral("操作失败!") : text, {},
                       Prompt::Kind::Error);
    } catch (...) {
        prompt.message(QStringLiteral("操作失败!"), {}, Prompt::Kind::Error);
    }
}

// Runs an operation that changes something. True when it went through.
template <typename Operation>
bool attempt(Prompt &prompt, Operation &&operation)
{
    try {
        std::forward<Operation>(operation)();
        return true;
    } catch (...) {
        showFailure(prompt);
    }
    return false;
}

// Runs a read and hands back what it read; nothing when it failed, after
// the failure has been shown.
template <typename Read>
auto fetch(Prompt &prompt, Read &&read) -> std::optional<std::invoke_result_t<Read>>
{
    try {
        return std::forward<Read>(read)();
    } catch (...) {
        showFailure(prompt);
    }
    return std::nullopt;
}
