# kiro_library(NAME DIR [QT] LIBS ...): one library from DIR/src/*.cpp with DIR/include public.
function(kiro_library name dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/src/*.cpp ${dir}/src/*.h ${dir}/include/*/*.h)
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${dir}/include)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# kiro_tests(PREFIX DIR LIBS ...): every DIR/*_test.cpp and DIR/*_bustest.cpp becomes one test
# executable PREFIX_<name>.
function(kiro_tests prefix dir)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  # Every DIR/*_bustest.cpp runs on a real display with a session bus: it reads the program over
  # the accessibility bus, as a screen reader does, or needs the desktop's own services (the
  # opener); scripts/atspi-bus.sh starts Xvfb and the buses, or skips the test where they cannot start.
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/*_test.cpp ${dir}/*_bustest.cpp)
  set(lsan "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_FUNCTION_LIST_DIR}/lsan.supp")
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    set(exe ${prefix}_${n})
    add_executable(${exe} ${t})
    target_link_libraries(${exe} PRIVATE ${ARG_LIBS} kiro_testsupport kiro_testmain GTest::gtest GTest::gmock)
    if(n MATCHES "_bustest$")
      add_test(NAME ${exe} COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/atspi-bus.sh $<TARGET_FILE:${exe}>)
      set_tests_properties(${exe} PROPERTIES ENVIRONMENT "${lsan}" SKIP_RETURN_CODE 77 TIMEOUT 900)
    else()
      add_test(NAME ${exe} COMMAND ${exe})
      set_tests_properties(${exe} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${lsan}" TIMEOUT 900)
    endif()
  endforeach()
endfunction()

# Copies the 7-Zip library to where Paketlader looks for it: beside the executables.
function(kiro_copy_sevenzip)
  set(dst ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/_InstSetup/lib/sevenzip/7z.so)
  add_custom_command(OUTPUT ${dst}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/_InstSetup/lib/sevenzip
    COMMAND ${CMAKE_COMMAND} -E copy ${KIRO_SEVENZIP_LIBRARY} ${dst}
    DEPENDS ${KIRO_SEVENZIP_LIBRARY} VERBATIM)
  add_custom_target(kiro_sevenzip_copy ALL DEPENDS ${dst})
endfunction()
