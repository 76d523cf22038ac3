# Every target links salondesk_settings: one place for the language level,
# the warnings and the Qt defines that keep string handling explicit.
add_library(salondesk_settings INTERFACE)
target_compile_features(salondesk_settings INTERFACE cxx_std_20)
target_compile_options(salondesk_settings INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -pedantic>)
target_compile_definitions(salondesk_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER)
