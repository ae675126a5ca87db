# Settings every target of the project shares: warnings, Qt defines, sanitizers.
add_library(morvane_common INTERFACE)
target_compile_options(morvane_common INTERFACE
  -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(morvane_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
target_include_directories(morvane_common INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(MORVANE_SANITIZE)
  target_compile_options(morvane_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(morvane_common INTERFACE -fsanitize=address,undefined)
endif()

if(MORVANE_FUZZ)
  target_compile_options(morvane_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  target_link_options(morvane_common INTERFACE -fsanitize=address,undefined)
endif()
