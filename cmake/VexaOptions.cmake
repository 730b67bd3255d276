# One INTERFACE target carries the language standard, the warning set and the sanitizers;
# every target of the project links it.
add_library(vexa_options INTERFACE)
target_compile_features(vexa_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(vexa_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wformat=2 -Wimplicit-fallthrough -Wold-style-cast)
# In the programs, texts between QString and 8-bit strings are converted only where the code
# says how. Test programs (property VEXA_TEST) compare with plain literals.
set(_vexa_program_code "$<NOT:$<BOOL:$<TARGET_PROPERTY:VEXA_TEST>>>")
target_compile_definitions(vexa_options INTERFACE
  $<${_vexa_program_code}:QT_NO_CAST_FROM_ASCII> $<${_vexa_program_code}:QT_NO_CAST_TO_ASCII>)
if(VEXA_WERROR)
  target_compile_options(vexa_options INTERFACE -Werror)
endif()
if(VEXA_SANITIZE)
  target_compile_options(vexa_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                -fno-sanitize-recover=undefined)
  target_link_options(vexa_options INTERFACE -fsanitize=address,undefined)
endif()
if(VEXA_BUILD_FUZZ)
  # Every library the fuzz targets link is instrumented for coverage and checked by the
  # sanitizers; the targets themselves add the fuzzer's main.
  target_compile_options(vexa_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                -fno-omit-frame-pointer)
  target_link_options(vexa_options INTERFACE -fsanitize=address,undefined)
endif()
