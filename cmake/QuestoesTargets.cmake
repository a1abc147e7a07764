# Helpers that give every target of the project the same warnings, sanitizer
# flags, include root and test conventions.

function(questoes_compile_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(QUESTOES_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(QUESTOES_FUZZ)
  # Coverage for the libraries the fuzz targets drive.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(QUESTOES_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# questoes_library(NAME [SHARED] SOURCES ... [PUBLIC ...] [PRIVATE ...] [QT])
# One library per folder; the alias is questoes::NAME. QT turns on moc.
function(questoes_library name)
  cmake_parse_arguments(A "SHARED;QT" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  if(A_SHARED)
    add_library(${name} SHARED ${A_SOURCES})
  else()
    add_library(${name} STATIC ${A_SOURCES})
  endif()
  add_library(questoes::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  target_link_libraries(${name} PUBLIC ${A_PUBLIC} PRIVATE ${A_PRIVATE})
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  questoes_compile_options(${name})
endfunction()

# questoes_test(NAME LABEL label SOURCES ... LIBS ... [ENVIRONMENT ...] [FIXTURES f])
# A GoogleTest program; each test case becomes one CTest test with the label.
# With FIXTURES the tests need that CTest fixture and, since they share what
# it sets up, run one at a time. Tests run on Qt's offscreen platform with a
# fixed locale.
function(questoes_test name)
  cmake_parse_arguments(A "" "LABEL;TIMEOUT;FIXTURES" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  if(NOT QUESTOES_TESTS)
    return()
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  questoes_compile_options(${name})
  set(properties LABELS ${A_LABEL} TIMEOUT ${A_TIMEOUT})
  if(A_FIXTURES)
    list(APPEND properties FIXTURES_REQUIRED ${A_FIXTURES} RESOURCE_LOCK ${A_FIXTURES})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
  # The environment is set by a script that CTest runs after the discovery's
  # own: gtest_discover_tests would split a list given through PROPERTIES
  # into separate arguments, and the tests would run with no environment.
  set(env "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1;${A_ENVIRONMENT}")
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake")
  file(GENERATE OUTPUT "${script}" CONTENT
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()

# questoes_benchmark(NAME SOURCES ... LIBS ...): a Google Benchmark program,
# built with the benchmarks option and run by hand (never a timed test).
function(questoes_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QUESTOES_BENCH)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  questoes_compile_options(${name})
endfunction()

# questoes_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target, built only
# with the fuzzing option (clang); CI runs each for a short while.
function(questoes_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QUESTOES_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_property(GLOBAL APPEND PROPERTY QUESTOES_FUZZERS ${name})
endfunction()
