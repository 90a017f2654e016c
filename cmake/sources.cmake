# Source lists are globbed so that adding a file never means editing the build.
#   RULES: Qt-free files (everything but *_screen, *_dialog, *_view)
#   VIEWS: only *_screen, *_dialog, *_view files
#   ALL:   every .cpp directly in the folders
function(lum_glob out kind)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    foreach(f ${found})
      get_filename_component(stem ${f} NAME_WE)
      if(stem MATCHES "_(screen|dialog|view)$")
        set(is_view TRUE)
      else()
        set(is_view FALSE)
      endif()
      if(kind STREQUAL "ALL"
         OR (kind STREQUAL "RULES" AND NOT is_view)
         OR (kind STREQUAL "VIEWS" AND is_view))
        list(APPEND result ${f})
      endif()
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# One GoogleTest executable per test folder; registered with CTest as one test.
function(lum_test_folder name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    LUM_SOURCE_DIR="${CMAKE_SOURCE_DIR}" LUM_GAME_DIR="${LUM_GAME_DIR}"
    LUM_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# A library whose folder holds no sources yet still builds (from an empty unit).
function(lum_nonempty var name)
  if(NOT ${var})
    set(empty ${CMAKE_BINARY_DIR}/empty_${name}.cpp)
    if(NOT EXISTS ${empty})
      file(WRITE ${empty} "// no sources yet\n")
    endif()
    set(${var} ${empty} PARENT_SCOPE)
  endif()
endfunction()
