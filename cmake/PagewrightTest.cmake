# Test registration. Every test executable goes through pw_add_test, which labels it
# (unit, service or gui) so that `ctest -L unit` is the quick loop.
include(GoogleTest)

# No test reaches the session's D-Bus, and so the user's keyring: the keyring test makes a private
# session of its own; every other test finds no keyring and keeps the tokens in its settings file.
set(PW_TEST_ENVIRONMENT "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/pagewright-tests-have-no-session-bus")

function(pw_add_test NAME)
  cmake_parse_arguments(ARG "QTTEST" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    message(FATAL_ERROR "pw_add_test(${NAME}) needs a LABEL")
  endif()
  add_executable(${NAME} ${ARG_SOURCES})
  target_link_libraries(${NAME} PRIVATE pagewright_testsupport ${ARG_LIBS} pagewright_warnings)
  if(ARG_QTTEST)
    add_test(NAME ${NAME} COMMAND ${NAME})
    set_tests_properties(${NAME} PROPERTIES LABELS ${ARG_LABEL}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;${PW_TEST_ENVIRONMENT}")
  else()
    target_link_libraries(${NAME} PRIVATE GTest::gmock_main)
    gtest_discover_tests(${NAME}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${PW_TEST_ENVIRONMENT}")
  endif()
endfunction()

# One executable per folder of test sources: tests/unit/util/*.cpp becomes unit_util.
# New test files need no change to any CMake file. A folder named "gui" below unit/ or service/
# tests the desktop's parts that open no window (the update check, the idle time): it links the
# desktop's library, and a build without the desktop leaves it out.
function(pw_add_test_folders LABEL)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB dirs LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*")
  foreach(dir IN LISTS dirs)
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${dir}")
      file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
      set(libs ${ARG_LIBS})
      if(dir STREQUAL "gui" AND NOT LABEL STREQUAL "gui")
        if(NOT TARGET pagewright_gui)
          continue()
        endif()
        list(APPEND libs pagewright_gui)
      endif()
      if(sources)
        pw_add_test(${LABEL}_${dir} LABEL ${LABEL} SOURCES ${sources} LIBS ${libs})
      endif()
    endif()
  endforeach()
endfunction()
