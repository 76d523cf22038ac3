#pragma once

// The operator every shop starts with. The sign-in window fills in the
// factory password for as long as the first operator keeps it, and this
// operator can never be deleted.
namespace Operators {

inline constexpr auto SuperOperator = u"超级管理员";
inline constexpr auto FactoryPassword = u"1";

} // namespace Operators
