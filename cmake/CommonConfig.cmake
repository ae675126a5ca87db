# Settings every target of the project shares: warnings, Qt defines, sanitizers, and the
# include roots of the layers.
add_library(morvane_common INTERFACE)
target_compile_options(morvane_common INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(morvane_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

if(MORVANE_SANITIZE)
  target_compile_options(morvane_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(morvane_common INTERFACE -fsanitize=address,undefined)
endif()

# Without the function sanitizer: with the fuzzer's coverage, clang 14 cannot place its
# prologue data in the parts of a coroutine (the remote probes), and stops with "Cannot
# represent a difference across sections". The sanitizer build of the tests keeps it.
if(MORVANE_FUZZ)
  target_compile_options(morvane_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=function
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(morvane_common INTERFACE -fsanitize=address,undefined)
endif()

# A layer's headers are spelt "<layer>/Name.h". Each layer's targets get an include root of
# their own, holding only a link to the layer's folder: a target sees its own headers and
# those of the layers it links, and an include against the direction does not compile.
function(morvane_layer_include_root target)
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${layer})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${layer} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
