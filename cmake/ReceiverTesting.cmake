# GoogleTest from the sources Debian's googletest package ships, built in each
# tree with that tree's compiler (so the mingw tree gets a Windows build of it).
set(RECEIVER_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory("${RECEIVER_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_link_libraries(${t} PRIVATE receiver_sanitizers)
      if(RECEIVER_WIN32)
        target_link_options(${t} INTERFACE -static -static-libgcc -static-libstdc++)
      endif()
    endif()
  endforeach()
endif()
include(GoogleTest)

# receiver_add_gtest(NAME SOURCES a.cpp b.cpp LIBS x y [LABELS l] [PROPERTIES ...])
# Registers every TEST of the program; in the Windows tree the program runs under
# the emulator (Wine) both to list and to run its tests.
function(receiver_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gmock gtest_main receiver_flags)
  target_compile_definitions(${name} PRIVATE
    RECEIVER_SHARED_DIR="${RECEIVER_SHARED_DIR}"
    RECEIVER_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set(labels ${ARG_LABELS})
  if(RECEIVER_WIN32)
    list(APPEND labels win32)
  else()
    list(APPEND labels native)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS "${labels}" ${ARG_PROPERTIES})
endfunction()
