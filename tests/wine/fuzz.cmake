# cadencer_fuzz: hostile input against the real cadencer.ocx, loaded straight from its file
# (./run fuzz, ./run soak). The test run has one pass with a fixed seed and one with a
# fresh seed, which it prints.
add_library(cadencer_fuzz_support STATIC fuzz_support.cpp)
target_link_libraries(cadencer_fuzz_support PUBLIC cadencer_guids ole32 oleaut32 uuid user32 gdi32 psapi)
target_compile_definitions(cadencer_fuzz_support PRIVATE CADENCER_OCX_PATH="$<TARGET_FILE:cadencer_ocx>")
set(fuzz_sources fuzz_bags.cpp fuzz_dispatch.cpp fuzz_lifecycle.cpp fuzz_main.cpp fuzz_reentry.cpp
  fuzz_streams.cpp fuzz_values.cpp)
add_executable(cadencer_fuzz ${fuzz_sources})
target_link_libraries(cadencer_fuzz PRIVATE cadencer_fuzz_support cadencer_guids ole32 oleaut32 uuid user32 gdi32 psapi)
target_compile_definitions(cadencer_fuzz PRIVATE CADENCER_OCX_PATH="$<TARGET_FILE:cadencer_ocx>")
add_dependencies(cadencer_fuzz cadencer_ocx)
add_test(NAME fuzz_fixed_seed COMMAND cadencer_fuzz --seed 1 --calls 20000)
add_test(NAME fuzz_fresh_seed COMMAND cadencer_fuzz --seed random --calls 5000)
# The control's modal windows (the schedule dialog, the about box) take the foreground: the
# fuzz takes its turn on the desktop with the other programs that show windows.
set_tests_properties(fuzz_fixed_seed fuzz_fresh_seed PROPERTIES
  LABELS "wine;fuzz" TIMEOUT 900 PASS_REGULAR_EXPRESSION "FUZZ CLEAN" FAIL_REGULAR_EXPRESSION "FAULT"
  RESOURCE_LOCK cadencer_desktop)
