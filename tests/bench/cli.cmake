# Benchmarks of what qmptool and the editors do with the largest document the
# limits allow: opening, saving and drawing it, beside raw file throughput of the
# same bytes. startup_bench.sh times quillmap's start-up under Xvfb.
if(TARGET qmptool_lib)
  add_executable(io_bench ${CMAKE_CURRENT_LIST_DIR}/io_bench.cpp)
  target_link_libraries(io_bench PRIVATE qmptool_lib qm_bench_support qm_test_support benchmark::benchmark)
endif()
