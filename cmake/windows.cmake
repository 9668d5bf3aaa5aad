# Windows build: platform DLLs, the module qlnprism.dll, the reference host
# quillanhost.exe and the Windows tests. Included by the top-level list when
# the toolchain targets Windows (cmake/mingw-i686.cmake, cmake/mingw-x86_64.cmake).

enable_language(RC)
set(CMAKE_SHARED_LIBRARY_PREFIX "")
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QUILLAN_WIN_BITS 32)
else()
  set(QUILLAN_WIN_BITS 64)
endif()

# Platform DLLs keep the file names of the libraries they stand for. Their
# functions are exported as they are compiled (C++ names for the portable
# interfaces, plain names for the extern "C" Windows additions); the module and
# the host link against the same import libraries.
set(QUILLAN_DLL_NAME_x32base x32Base)
set(QUILLAN_DLL_NAME_x32comm x32Comm)
set(QUILLAN_DLL_NAME_x32clr x32Clr)
set(QUILLAN_DLL_NAME_x32cvt x32Cvt)
set(QUILLAN_DLL_NAME_x32file x32File)
set(QUILLAN_DLL_NAME_x32about x32About)
set(QUILLAN_DLL_NAME_x32gifsa x32GifSa)
set(QUILLAN_DLL_NAME_x32clips x32Clips)
set(QUILLAN_DLL_NAME_xl32iconbtn XL32IconBtn)

function(quillan_windows_dll target)
  if(DEFINED QUILLAN_DLL_NAME_${target})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${QUILLAN_DLL_NAME_${target}})
  endif()
  # Only our own objects are exported, never the statically linked runtime.
  target_link_options(${target} PRIVATE -Wl,--export-all-symbols -Wl,--exclude-libs,ALL)
  target_link_libraries(${target} PRIVATE user32 gdi32)
endfunction()

function(quillan_windows_targets)
  set(root ${CMAKE_SOURCE_DIR})

  # The Windows layers of the module, bottom to top (cmake/layers.cmake).
  # The module's instance, its message routines, palette objects and
  # resource ids: what every window of the module uses.
  quillan_layer(NAME qln_module_base
    SOURCES plugin/win/module_instance.cpp dialog/messages.cpp palette/win/palette_objects.cpp
    HEADERS plugin/win/module_instance.h dialog/messages.h palette/win/palette_objects.h
      resources/resource_ids.h
    PUBLIC_DEPS quillan_palette quillan_model PRIVATE_DEPS x32comm user32 gdi32)
  # The window procedures of the six custom controls.
  quillan_layer(NAME qln_control_windows
    SOURCES controls/win/control_support.cpp controls/win/hue_bar.cpp controls/win/pal_bar.cpp
      controls/win/pal_view.cpp controls/win/repeat_spin.cpp controls/win/ring_editor.cpp
    HEADERS controls/win/control_procs.h controls/win/control_support.h
    PUBLIC_DEPS qln_module_base quillan_controls x32base
    PRIVATE_DEPS quillan_engine x32comm x32clr user32 gdi32)
  # The library dialogs and the context menu the thumbnail libraries share.
  quillan_layer(NAME qln_library_dialogs
    SOURCES library/win/add_ramp_sample_dialog.cpp library/win/iio_menu.cpp
      library/win/pattern_dialogs.cpp library/win/rename_dialog.cpp
    HEADERS library/win/add_ramp_sample_dialog.h library/win/iio_menu.h
      library/win/pattern_dialogs.h library/win/rename_dialog.h
    PUBLIC_DEPS qln_module_base quillan_library x32base
    PRIVATE_DEPS quillan_plugin x32clips x32comm x32file user32)
  # The Palette Ramp Editor.
  quillan_layer(NAME qln_ramp_editor
    SOURCES palette/win/ramp_editor_dialog.cpp
    HEADERS palette/win/ramp_editor_dialog.h
    PUBLIC_DEPS qln_module_base quillan_model x32base
    PRIVATE_DEPS qln_control_windows qln_library_dialogs quillan_ramp_samples quillan_plugin
      quillan_storyboard x32clips x32comm user32 comctl32)
  # The Animation dialog, its file choice and the export run.
  quillan_layer(NAME qln_animation_dialog
    SOURCES animation/win/animation_dialog.cpp
    HEADERS animation/win/animation_dialog.h
    PUBLIC_DEPS quillan_animation
    PRIVATE_DEPS qln_module_base x32comm x32file user32 comctl32 comdlg32)
  # The main dialog.
  quillan_layer(NAME qln_dialogs
    SOURCES dialog/main_dialog.cpp dialog/main_dialog_animation.cpp dialog/preview.cpp
    HEADERS dialog/main_dialog.h dialog/main_dialog_state.h
    PUBLIC_DEPS quillan_plugin quillan_storyboard
    PRIVATE_DEPS qln_control_windows qln_library_dialogs qln_ramp_editor qln_animation_dialog
      quillan_animation x32base x32clips
      x32file x32about x32comm user32 gdi32 comctl32 comdlg32)
  # The module's window classes and exports.
  quillan_layer(NAME qln_module
    SOURCES plugin/win/window_classes.cpp
    HEADERS plugin/win/window_classes.h plugin/win/plugin_exports.h
    PUBLIC_DEPS qln_dialogs qln_control_windows PRIVATE_DEPS user32)
  # Everything but the DLL entry and the exports, for the tests.
  add_library(qlnprism_impl INTERFACE)
  target_link_libraries(qlnprism_impl INTERFACE qln_module qln_ramp_editor qln_library_dialogs
    qln_animation_dialog quillan_core x32about comctl32)

  # Bitmaps and cursor of the module, drawn and rendered by the native
  # reference tool (build the native tree first).
  set(QUILLAN_NATIVE_TOOLS ${root}/build/bin CACHE PATH "bin folder of a native build (qlnref)")
  set(qlnref ${QUILLAN_NATIVE_TOOLS}/qlnref)
  if(NOT EXISTS ${qlnref})
    message(FATAL_ERROR "${qlnref} not found: build the native tree first "
      "(or set QUILLAN_NATIVE_TOOLS to the bin folder of one)")
  endif()
  set(res_dir ${CMAKE_BINARY_DIR}/resources)
  set(res_files ${res_dir}/mirror.bmp ${res_dir}/hue_drag.cur)
  foreach(t RANGE 1 19)
    string(REGEX REPLACE "^([0-9])$" "0\\1" tt ${t})
    list(APPEND res_files ${res_dir}/template${tt}.bmp)
  endforeach()
  add_custom_command(OUTPUT ${res_files}
    COMMAND ${qlnref} resources ${res_dir}
    DEPENDS ${qlnref}
    COMMENT "Rendering the template thumbnails and drawing the module's images")
  add_custom_target(qlnprism_resources DEPENDS ${res_files})

  # The module. Its two entry points are exported under their plain names on
  # both architectures (a .def file, stdcall decoration removed).
  if(QUILLAN_WIN_BITS EQUAL 32)
    set(QUILLAN_STDCALL_16 "@16")
    set(QUILLAN_STDCALL_8 "@8")
  else()
    set(QUILLAN_STDCALL_16 "")
    set(QUILLAN_STDCALL_8 "")
  endif()
  configure_file(${root}/plugin/win/qlnprism.def.in ${CMAKE_BINARY_DIR}/qlnprism.def @ONLY)
  add_library(qlnprism SHARED ${root}/plugin/win/dll_main.cpp ${root}/plugin/win/exports.cpp
    ${root}/resources/qlnprism.rc ${CMAKE_BINARY_DIR}/qlnprism.def)
  target_link_libraries(qlnprism PRIVATE qln_module x32comm)
  set_source_files_properties(${root}/resources/qlnprism.rc PROPERTIES
    OBJECT_DEPENDS "${root}/resources/resource_ids.h;${res_files}")
  target_include_directories(qlnprism PRIVATE ${root} ${res_dir})
  add_dependencies(qlnprism qlnprism_resources)

  # The host shares only the image buffer service and the common library with
  # the module, and reads and writes records and BMP files itself.
  add_executable(quillanhost ${root}/tools/quillanhost/main.cpp ${root}/engine/bmp_image.cpp
    ${root}/model/param_record.cpp)
  target_include_directories(quillanhost PRIVATE ${root})
  target_link_libraries(quillanhost PRIVATE x32base x32comm x32file xl32iconbtn)
  add_dependencies(quillanhost qlnprism)

  if(NOT QUILLAN_TESTS)
    return()
  endif()

  # GoogleTest from Debian's source package, cross-built.
  set(QUILLAN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  get_directory_property(saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(${QUILLAN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${saved_options}")

  # Every test runs under Wine with a prefix of its own inside the build tree.
  # 32-bit programs cannot run on this kind of machine, so only the 64-bit tree
  # registers its tests (a 32-bit tree builds the Windows test programs only).
  # No .NET or HTML engine installers when a prefix is made.
  set(wine_env "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all;DISPLAY=;WINEDLLOVERRIDES=mscoree,mshtml=")
  if(QUILLAN_WIN_BITS EQUAL 64)
    set(QUILLAN_RUN_WIN_TESTS ON)
  else()
    set(QUILLAN_RUN_WIN_TESTS OFF)
  endif()
  find_program(QUILLAN_WINE wine)
  find_program(QUILLAN_XVFB_RUN xvfb-run)
  if(QUILLAN_RUN_WIN_TESTS AND QUILLAN_WINE)
    add_test(NAME wine_prefix COMMAND ${QUILLAN_WINE} wineboot --init)
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${wine_env}"
      TIMEOUT 300)
  endif()

  # The reference host loads the module by path and names it.
  if(QUILLAN_RUN_WIN_TESTS AND QUILLAN_WINE)
    add_test(NAME quillanhost_info COMMAND ${QUILLAN_WINE} $<TARGET_FILE:quillanhost> --info)
    set_tests_properties(quillanhost_info PROPERTIES ENVIRONMENT "${wine_env}" FIXTURES_REQUIRED wine
      PASS_REGULAR_EXPRESSION "name: Quillan\nrecord size: 1348\ntemplate: 5\nsample number: 3"
      TIMEOUT 300 WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endif()

  # Windows test programs: tests/win/<area>/*.cpp form test_win_<area>.
  # These areas show windows and run on a virtual display: the dialogs, the
  # custom controls, the thumbnail-list windows, the Palette Ramp Editor, the
  # library dialogs and the Animation dialog.
  set(QUILLAN_DISPLAY_TEST_AREAS dialog controls clips palette library animation)
  file(GLOB win_test_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${root}/tests/win/*)
  foreach(dir ${win_test_dirs})
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(area ${dir} NAME)
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT srcs)
      continue()
    endif()
    set(t test_win_${area})
    add_executable(${t} ${srcs})
    target_link_libraries(${t} PRIVATE qlnprism_impl xl32iconbtn GTest::gtest GTest::gtest_main)
    target_include_directories(${t} PRIVATE ${root}/tests)
    target_compile_definitions(${t} PRIVATE QUILLAN_RESOURCE_DIR="${res_dir}")
    add_dependencies(${t} qlnprism quillanhost quillan_data)
    if(NOT QUILLAN_RUN_WIN_TESTS OR NOT QUILLAN_WINE)
      continue()
    endif()
    if(area IN_LIST QUILLAN_DISPLAY_TEST_AREAS)
      # Windows on a virtual X display; the screenshot lands in the build tree.
      if(NOT QUILLAN_XVFB_RUN)
        continue()
      endif()
      # A prefix of its own: Wine's desktop belongs to the first program of a
      # prefix, and the headless tests must not be the ones to create it.
      add_test(NAME ${t} COMMAND ${QUILLAN_XVFB_RUN} -a -s "-screen 0 1024x768x24"
        ${QUILLAN_WINE} $<TARGET_FILE:${t}> --gtest_brief=1)
      set_tests_properties(${t} PROPERTIES ENVIRONMENT
        "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-display;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;QUILLAN_SHOT_DIR=${CMAKE_BINARY_DIR}"
        TIMEOUT 600 WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
      # The display prefix is used by one program at a time.
      set_tests_properties(${t} PROPERTIES RESOURCE_LOCK wine_display)
      continue()
    else()
      add_test(NAME ${t} COMMAND ${QUILLAN_WINE} $<TARGET_FILE:${t}> --gtest_brief=1)
      set_tests_properties(${t} PROPERTIES ENVIRONMENT "${wine_env}")
    endif()
    set_tests_properties(${t} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
      WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endforeach()

  # The GIF the main dialog exported (test_win_animation keeps it with its
  # record) is the one the native command line makes of the same storyboard,
  # size and frame count, byte for byte.
  if(QUILLAN_RUN_WIN_TESTS AND QUILLAN_WINE AND QUILLAN_XVFB_RUN)
    add_test(NAME animation_gif_matches_cli COMMAND sh -c
      "\"$0\" animate -o \"$1/animation_cli.gif\" --record \"$1/animation_dialog.rec\" --size 48x32 --frames 6 --quiet && cmp \"$1/animation_cli.gif\" \"$1/animation_dialog.gif\""
      ${QUILLAN_NATIVE_TOOLS}/quillan ${CMAKE_BINARY_DIR})
    set_tests_properties(animation_gif_matches_cli PROPERTIES DEPENDS test_win_animation TIMEOUT 120)
    # A pattern the Add To Lib dialog stored renders through quillan library
    # as the module's silent run renders the record the main dialog's OK kept
    # (the same pixels after the 54-byte headers, whose resolutions differ).
    add_test(NAME library_render_matches_dialog COMMAND sh -c
      "\"$0\" --quiet library --library \"$1/library_added.pst\" render Swirl --size 96x64 -o \"$1/library_cli.bmp\" && cmp -i 54 \"$1/library_cli.bmp\" \"$1/library_added.bmp\""
      ${QUILLAN_NATIVE_TOOLS}/quillan ${CMAKE_BINARY_DIR})
    set_tests_properties(library_render_matches_dialog PROPERTIES DEPENDS test_win_library TIMEOUT 120)
  endif()

  if(NOT QUILLAN_RUN_WIN_TESTS)
    return()
  endif()
  # The portable suites, built for Windows as well: the same sources against
  # another C++ runtime and math library (label "portable"). They hold the
  # Windows build to the same results, so they assume nothing a C library may
  # spell differently: the last bits of sin and cos, how a folder name ends.
  file(GLOB test_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${root}/tests/*)
  foreach(dir ${test_dirs})
    get_filename_component(area ${dir} NAME)
    # tests/tools drives the native command line, which Windows builds do not have.
    if(NOT IS_DIRECTORY ${dir} OR area STREQUAL "win" OR area STREQUAL "tools")
      continue()
    endif()
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT srcs)
      continue()
    endif()
    set(t test_${area})
    add_executable(${t} ${srcs})
    target_link_libraries(${t} PRIVATE quillan_core GTest::gtest GTest::gtest_main GTest::gmock)
    target_include_directories(${t} PRIVATE ${root}/tests)
    target_compile_definitions(${t} PRIVATE QUILLAN_TEST_DATA_DIR="${QUILLAN_DATA_DIR}"
      QUILLAN_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    if(QUILLAN_RUN_WIN_TESTS AND QUILLAN_WINE)
      add_test(NAME ${t} COMMAND ${QUILLAN_WINE} $<TARGET_FILE:${t}> --gtest_brief=1)
      set_tests_properties(${t} PROPERTIES ENVIRONMENT "${wine_env}" FIXTURES_REQUIRED wine
        LABELS portable TIMEOUT 900 WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    endif()
  endforeach()
endfunction()
