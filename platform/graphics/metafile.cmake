# Enhanced metafiles: the page container, the recording canvas and playback.
# Included by this folder's CMakeLists.txt after the graphics library exists.
target_sources(platform_graphics PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/metafile.cpp)
target_link_libraries(platform_graphics PRIVATE uemf::uemf)

if(QUESTOES_TESTS)
  find_program(EMF2SVG_CONV emf2svg-conv)
  questoes_test(platform_metafile_tests LABEL platform
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/metafile_test.cpp
    LIBS questoes::platform_graphics questoes::platform GTest::gtest_main
    ENVIRONMENT "EMF2SVG_CONV=${EMF2SVG_CONV}")
endif()
