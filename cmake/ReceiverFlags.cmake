# Flags every target of ours links through INTERFACE targets.

add_library(receiver_warnings INTERFACE)
target_compile_options(receiver_warnings INTERFACE
  -Wall -Wextra -Wpedantic   # the usual set
  -Wshadow                   # a shadowed name is nearly always a slip
  -Wnon-virtual-dtor         # interfaces are deleted through base pointers
  -Werror)                   # a warning fails the build

add_library(receiver_sanitizers INTERFACE)
if(NOT RECEIVER_WIN32 AND RECEIVER_SANITIZE)
  # Memory errors and undefined behaviour abort the test that caused them.
  target_compile_options(receiver_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(receiver_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

add_library(receiver_flags INTERFACE)
target_link_libraries(receiver_flags INTERFACE receiver_warnings receiver_sanitizers)
if(RECEIVER_WIN32)
  # Unicode Win32 entry points; no min/max macros; Windows 7 API level.
  target_compile_definitions(receiver_flags INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # A bare Windows has no mingw runtime DLLs: link everything statically.
  target_link_options(receiver_flags INTERFACE -static -static-libgcc -static-libstdc++)
endif()
