# The program's four layers, each a static library, from the bottom up:
# platform (the one door to the system: <windows.h>, or our POSIX layer that
# provides the same Win32 subset), console (Con), fileio (modFileIO) and
# driver (modMain). A layer links PRIVATE to the lower layers it calls itself
# (the driver calls Con and modFileIO both, and the platform), and compiles
# against include roots that offer only their headers and its own: each
# layer's root is a folder in the build tree with one small header per header
# of the layer, which includes the real one. An include that runs up the
# layers finds no file. Every file is listed by hand, headers too (a header
# left out is not offered); a new file goes into its layer's list.
# Included by the top-level CMakeLists.txt and by fuzz/CMakeLists.txt.

get_filename_component(BLKCOPY_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

set(BLKCOPY_PLATFORM_FILES
  platform/platform.h
  platform/names.h
  platform/textconv.h
  platform/textconv.cpp
  platform/utf8.h
  platform/utf8.cpp)
if(WIN32)
  list(APPEND BLKCOPY_PLATFORM_FILES
    platform/win32/win32.h
    platform/win32/args.cpp
    platform/win32/colours.cpp
    platform/win32/file_system.cpp
    platform/win32/limits.cpp
    platform/win32/names.cpp
    platform/win32/optional_calls.cpp
    platform/win32/path_info.cpp
    platform/win32/text.cpp)
else()
  list(APPEND BLKCOPY_PLATFORM_FILES
    platform/posix/win32_posix.h
    platform/screen.h
    platform/screen.cpp
    platform/posix/args.h
    platform/posix/args.cpp
    platform/posix/allocated_ranges.cpp
    platform/posix/console.cpp
    platform/posix/console_ctrl.cpp
    platform/posix/console_handles.h
    platform/posix/console_handles.cpp
    platform/posix/console_tty_input.cpp
    platform/posix/disk_space.cpp
    platform/posix/file_names.cpp
    platform/posix/file_system.cpp
    platform/posix/file_times.cpp
    platform/posix/files.cpp
    platform/posix/handle.h
    platform/posix/handle.cpp
    platform/posix/last_error.cpp
    platform/posix/locale.cpp
    platform/posix/memory.cpp
    platform/posix/names.cpp
    platform/posix/optional_calls.cpp
    platform/posix/process.cpp
    platform/posix/screen_terminal.h
    platform/posix/screen_terminal.cpp
    platform/posix/terminal_colours.h
    platform/posix/terminal_colours.cpp
    platform/posix/text.cpp
    platform/posix/thread.cpp
    platform/posix/time.cpp
    platform/posix/window.cpp)
endif()

set(BLKCOPY_CONSOLE_FILES
  console/Con.h
  console/ConHostCalls.h
  console/ConOutputCalls.h
  console/ConState.h
  console/con_host.cpp
  console/con_input.cpp
  console/con_lifecycle.cpp
  console/con_output.cpp
  console/con_state.cpp
  console/con_window.cpp)

set(BLKCOPY_FILEIO_FILES
  fileio/modFileIO.h
  fileio/advice_probes.h
  fileio/copy_job.h
  fileio/device_path.h
  fileio/file_calls.h
  fileio/file_facts.h
  fileio/findings.h
  fileio/format.h
  fileio/message_text.h
  fileio/messages.h
  fileio/testing.h
  fileio/advice_probes.cpp
  fileio/block_buffer.cpp
  fileio/box_line.cpp
  fileio/clock.cpp
  fileio/copy_endings.cpp
  fileio/copy_job.cpp
  fileio/copy_loop.cpp
  fileio/datetime.cpp
  fileio/dest_checks.cpp
  fileio/end_checks.cpp
  fileio/end_messages.cpp
  fileio/file_calls.cpp
  fileio/file_facts.cpp
  fileio/findings.cpp
  fileio/format.cpp
  fileio/job_open.cpp
  fileio/message_text.cpp
  fileio/open_messages.cpp
  fileio/progress.cpp
  fileio/resume_messages.cpp
  fileio/resume_point.cpp
  fileio/run_messages.cpp
  fileio/sizes64.cpp
  fileio/summary.cpp
  fileio/verify_messages.cpp
  fileio/verify_pass.cpp
  fileio/wrapped_line.cpp)

# The program's entry, driver/main.cpp, is the executable's own.
set(BLKCOPY_DRIVER_FILES
  driver/modMain.h
  driver/number.h
  driver/blocksize.cpp
  driver/cmdline.cpp
  driver/main_sequence.cpp
  driver/number.cpp
  driver/options.cpp
  driver/paths.cpp
  driver/usage.cpp)

# blkcopy_layer(<name> FILES <paths under src/> [USES <lower layers>]) makes
# the library blkcopy_<name> and its include root.
function(blkcopy_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "FILES;USES")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  set(sources)
  set(headers)
  foreach(file IN LISTS LAYER_FILES)
    set(path ${BLKCOPY_SOURCE_ROOT}/src/${file})
    list(APPEND sources ${path})
    if(file MATCHES "\\.h$")
      list(APPEND headers ${file})
      # Written only when it changes, so a new configure rebuilds nothing.
      file(CONFIGURE OUTPUT ${root}/${file} @ONLY
           CONTENT "// The ${name} layer's view of src/${file} (made by cmake/layers.cmake).\n#include \"${path}\"\n")
    endif()
  endforeach()
  # A header taken out of the list is no longer offered.
  file(GLOB_RECURSE offered RELATIVE ${root} ${root}/*)
  foreach(file IN LISTS offered)
    if(NOT file IN_LIST headers)
      file(REMOVE ${root}/${file})
    endif()
  endforeach()
  add_library(blkcopy_${name} STATIC ${sources})
  target_include_directories(blkcopy_${name} PUBLIC ${root})
  foreach(lower IN LISTS LAYER_USES)
    target_link_libraries(blkcopy_${name} PRIVATE blkcopy_${lower})
  endforeach()
endfunction()

blkcopy_layer(platform FILES ${BLKCOPY_PLATFORM_FILES})
blkcopy_layer(console FILES ${BLKCOPY_CONSOLE_FILES} USES platform)
blkcopy_layer(fileio FILES ${BLKCOPY_FILEIO_FILES} USES console platform)
blkcopy_layer(driver FILES ${BLKCOPY_DRIVER_FILES} USES fileio console platform)
# --version prints the project() line's version, as the Windows program's
# version resource carries it.
target_compile_definitions(blkcopy_driver PRIVATE BLKCOPY_VERSION="${PROJECT_VERSION}")

if(NOT WIN32)
  find_package(Threads REQUIRED)
  target_link_libraries(blkcopy_platform PUBLIC Threads::Threads)
endif()

# Everything at once, for what may see every layer: the tests and the fuzz
# target (they add src/ itself as their include root).
add_library(blkcopy_core INTERFACE)
target_link_libraries(blkcopy_core INTERFACE
  blkcopy_driver blkcopy_fileio blkcopy_console blkcopy_platform)
