# How the window answers while a large installer downloads (the event loop's longest stall, the
# progress reports, peak memory):   bin/bench_installer_download [megabytes, default 512; 2048 for 2 GB]
add_executable(bench_installer_download ${CMAKE_CURRENT_LIST_DIR}/upgrade/InstallerDownloadBench.cpp)
target_link_libraries(bench_installer_download PRIVATE ostrel_upgrade)
if(TARGET ostrel-standin)
  add_dependencies(bench_installer_download ostrel-standin)
  target_compile_definitions(bench_installer_download PRIVATE OSTREL_STANDIN="$<TARGET_FILE:ostrel-standin>")
endif()
