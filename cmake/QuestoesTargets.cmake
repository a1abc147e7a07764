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

# questoes_subfolders(tests bench fuzz ...): adds the named folders of a
# subsystem, each only when its option (QUESTOES_TESTS, QUESTOES_BENCH,
# QUESTOES_FUZZ) is on. A named folder that is missing fails the build.
function(questoes_subfolders)
  foreach(folder ${ARGN})
    string(TOUPPER "${folder}" option)
    if(NOT DEFINED QUESTOES_${option})
      message(FATAL_ERROR "questoes_subfolders: no option QUESTOES_${option} for ${folder}/")
    endif()
    if(QUESTOES_${option})
      add_subdirectory(${folder})
    endif()
  endforeach()
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
  # The seed corpus lives beside the target's source, in corpus/ under the
  # target's name without "_fuzz".
  list(GET A_SOURCES 0 source)
  get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(source_dir "${source}" DIRECTORY)
  string(REGEX REPLACE "_fuzz$" "" seeds "${name}")
  set_property(GLOBAL APPEND PROPERTY QUESTOES_FUZZERS
    "${name}\t$<TARGET_FILE:${name}>\t${source_dir}/corpus/${seeds}")
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${name})
endfunction()

# Writes fuzzers.txt into the build folder: a line per fuzz target, its
# name, executable and seed corpus separated by tabs, for scripts/fuzz.sh.
function(questoes_list_fuzzers)
  get_property(fuzzers GLOBAL PROPERTY QUESTOES_FUZZERS)
  list(JOIN fuzzers "\n" lines)
  file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/fuzzers.txt" CONTENT "${lines}\n")
endfunction()

# Targets defined in a folder and in every folder below it.
function(questoes_targets_below dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    questoes_targets_below("${sub}" below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# questoes_check_headers(): every header of the project must compile on its
# own, and twice in a row. Each header becomes a translation unit of its
# own that includes nothing else, built with what the targets of its folder
# (or the nearest folder above with targets) link to.
function(questoes_check_headers)
  file(GLOB_RECURSE headers RELATIVE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/*.h")
  list(FILTER headers EXCLUDE REGEX "^(build|\\.git)/")
  questoes_targets_below("${PROJECT_SOURCE_DIR}" all_targets)
  set(folders)
  foreach(header ${headers})
    get_filename_component(folder "${header}" DIRECTORY)
    string(MAKE_C_IDENTIFIER "header_check_${folder}" check)
    if(NOT TARGET ${check})
      add_library(${check} OBJECT)
      target_include_directories(${check} PRIVATE "${PROJECT_SOURCE_DIR}")
      questoes_compile_options(${check})
      # What the targets of the folder use, or of the nearest one above.
      set(owner "${folder}")
      set(libs)
      while(NOT libs)
        foreach(target ${all_targets})
          get_target_property(type ${target} TYPE)
          get_target_property(source_dir ${target} SOURCE_DIR)
          file(RELATIVE_PATH target_folder "${PROJECT_SOURCE_DIR}" "${source_dir}")
          if(NOT target_folder STREQUAL owner OR type STREQUAL "UTILITY"
             OR type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
            continue()
          endif()
          get_target_property(linked ${target} LINK_LIBRARIES)
          if(linked)
            list(APPEND libs ${linked})
          endif()
          if(NOT type STREQUAL "EXECUTABLE")
            list(APPEND libs ${target})
          endif()
        endforeach()
        if(NOT libs)
          if(owner STREQUAL "")
            break()
          endif()
          get_filename_component(owner "${owner}" DIRECTORY)
        endif()
      endwhile()
      list(REMOVE_DUPLICATES libs)
      target_link_libraries(${check} PRIVATE ${libs})
    endif()
    string(MAKE_C_IDENTIFIER "${header}" unit)
    set(unit "${CMAKE_BINARY_DIR}/header_check/${unit}.cpp")
    file(CONFIGURE OUTPUT "${unit}" CONTENT "#include \"${header}\"\n#include \"${header}\"\n")
    target_sources(${check} PRIVATE "${unit}")
  endforeach()
endfunction()
