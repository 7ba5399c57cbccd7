# Test programs. Every test folder's CMakeLists.txt is one call:
#
#   vr_add_gtest(<name> [SOURCES ...] [LIBS ...] [INCLUDES ...] [DEFINES ...] [DEPENDS ...])
#   vr_add_qtest(<name> [SOURCES ...] [LIBS ...] [INCLUDES ...] [DEFINES ...] [DEPENDS ...] [TIMEOUT s])
#
# Without SOURCES the folder's *.cpp are the program. The folder itself and
# tests/support are on the include path, vr_testsupport (and so VR_CORPUS_DIR)
# is linked. GoogleTest programs get gtest_main and per-test discovery; Qt
# Test programs get Qt6::Test, run headless and carry the label "qt" (the
# sanitizer run checks leaks with -LE qt and runs these with -L qt without),
# and are skipped when the windows are not built.

function(_vr_test_program name kind)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "TIMEOUT" "SOURCES;LIBS;INCLUDES;DEFINES;DEPENDS")
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${name}: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${ARG_INCLUDES})
  target_link_libraries(${name} PRIVATE vr_testsupport ${ARG_LIBS})
  if(ARG_DEFINES)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINES})
  endif()
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
  if(kind STREQUAL "gtest")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  else()
    if(NOT ARG_TIMEOUT)
      set(ARG_TIMEOUT 120)
    endif()
    target_link_libraries(${name} PRIVATE Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${ARG_TIMEOUT} LABELS qt)
  endif()
endfunction()

function(vr_add_gtest name)
  _vr_test_program(${name} gtest ${ARGN})
endfunction()

function(vr_add_qtest name)
  if(VR_BUILD_UI)
    _vr_test_program(${name} qtest ${ARGN})
  endif()
endfunction()
