# cadencer_soak: the real cadencer.ocx in host processes whose clock is faked to run across
# the calendar's hard moments (soak_moments.sh starts them side by side under libfaketime).
add_executable(cadencer_soak soak_main.cpp)
target_link_libraries(cadencer_soak PRIVATE cadencer_fuzz_support cadencer_engine cadencer_guids ole32 oleaut32 uuid user32 gdi32 psapi)
target_include_directories(cadencer_soak PRIVATE ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(cadencer_soak PRIVATE CADENCER_OCX_PATH="$<TARGET_FILE:cadencer_ocx>")
add_dependencies(cadencer_soak cadencer_ocx)
math(EXPR soak_bits "${CMAKE_SIZEOF_VOID_P} * 8")
add_test(NAME soak_calendar_moments
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/soak_moments.sh $<TARGET_FILE:cadencer_soak> ${soak_bits})
set_tests_properties(soak_calendar_moments PROPERTIES
  LABELS "wine;soak" TIMEOUT 600 SKIP_RETURN_CODE 77 PASS_REGULAR_EXPRESSION "; 0 failed")
