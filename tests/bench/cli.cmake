# Benchmarks of what qmptool and the editors do with the largest document the
# limits allow: opening, saving, drawing and comparing it, beside raw file
# throughput of the same bytes. Run by hand: io_bench; compare_bench; the target
# startup_bench, which times quillmap's start-up to its first painted frame under
# Xvfb, and its memory, beside an empty Qt main window's (startup_bench.sh); and
# the target qmptool_bench, whole qmptool runs on that document; and the target
# archive_bench, qmptool on an archive of 2000 generated charts.
# A target that runs a bench script with its arguments, the targets among them
# given as their programs' paths and built first.
function(qm_bench_script name script)
  set(arguments)
  set(programs)
  foreach(argument IN LISTS ARGN)
    if(TARGET ${argument})
      list(APPEND arguments $<TARGET_FILE:${argument}>)
      list(APPEND programs ${argument})
    else()
      list(APPEND arguments ${argument})
    endif()
  endforeach()
  add_custom_target(${name}
    COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${script} ${arguments}
    DEPENDS ${programs}
    USES_TERMINAL)
endfunction()

if(TARGET qmptool_lib)
  add_executable(io_bench ${CMAKE_CURRENT_LIST_DIR}/io_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp)
  target_link_libraries(io_bench PRIVATE qmptool_lib qm_bench_support qm_test_support benchmark::benchmark)
  # qmptool diff and dump --text on the largest drawing and a version of it with
  # every element changed.
  add_executable(compare_bench ${CMAKE_CURRENT_LIST_DIR}/compare_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp)
  target_link_libraries(compare_bench PRIVATE qmptool_lib qm_bench_support benchmark::benchmark)

  # quillmap's start-up beside that of an empty Qt main window with a menu bar.
  add_executable(bare_window ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
  target_link_libraries(bare_window PRIVATE Qt6::Widgets)
  qm_bench_script(startup_bench startup_bench.sh quillmap bare_window 10)

  # Whole archives: thousands of generated charts printed, searched and checked.
  add_executable(archive_charts ${CMAKE_CURRENT_LIST_DIR}/archive_charts.cpp)
  target_link_libraries(archive_charts PRIVATE qm_bench_support quillmap_render)
  qm_bench_script(archive_bench archive_bench.sh qmptool archive_charts 2000)

  add_executable(largest_file ${CMAKE_CURRENT_LIST_DIR}/largest_file.cpp)
  target_link_libraries(largest_file PRIVATE qm_bench_support quillmap_render)
  qm_bench_script(qmptool_bench qmptool_bench.sh qmptool largest_file 5)
endif()

# Peak memory of qmptool check and convert on valid documents of growing size.
if(TARGET qmptool)
  qm_bench_script(read_memory_bench read_memory.sh qmptool)
endif()
