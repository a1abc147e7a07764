# Enhanced metafiles: the page container, the recording canvas and playback.
# Included by this folder's CMakeLists.txt after the graphics library exists.
target_sources(platform_graphics PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/metafile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_player.cpp)
target_link_libraries(platform_graphics PRIVATE uemf::uemf)

if(QUESTOES_TESTS)
  # An independent reader checks what the canvas writes; the tests skip that
  # check only where the converter is not installed.
  find_program(EMF2SVG_CONV emf2svg-conv)
  questoes_test(platform_metafile_tests LABEL platform
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/metafile_test_main.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/metafile_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/metafile_canvas_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/metafile_player_test.cpp
    LIBS questoes::platform_graphics questoes::platform uemf::uemf
    ENVIRONMENT "EMF2SVG_CONV=${EMF2SVG_CONV}")
endif()

questoes_fuzzer(metafile_playback_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/metafile_playback_fuzz.cpp
  LIBS questoes::platform_graphics)

questoes_benchmark(metafile_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench/metafile_bench.cpp
  LIBS questoes::platform_graphics)
