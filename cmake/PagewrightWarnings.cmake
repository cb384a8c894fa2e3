# One place for the warning flags every target of ours uses.
add_library(pagewright_warnings INTERFACE)
target_compile_options(pagewright_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor -Woverloaded-virtual
  -Wno-missing-field-initializers)
if(PAGEWRIGHT_WERROR)
  target_compile_options(pagewright_warnings INTERFACE -Werror)
endif()
target_compile_definitions(pagewright_warnings INTERFACE
  QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
