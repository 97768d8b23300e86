# Runs the screenshot tool into an empty folder and checks that it wrote every page in all five
# languages, the recovery page's Deleted Files tab included, and that no file is empty.
# Called as: cmake -DTOOL=<tidewell_screenshots> -DFOLDER=<output folder> -P check_screenshots.cmake
file(REMOVE_RECURSE ${FOLDER})
execute_process(COMMAND ${TOOL} ${FOLDER} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "tidewell_screenshots ended with ${status}:\n${output}${errors}")
endif()
# Every tool the deleted-file scan needs is installed where this test runs.
if(errors MATCHES "Deleted Files tab")
  message(FATAL_ERROR "the Deleted Files tab was not rendered with results:\n${errors}")
endif()

set(pages Home Analyze File-Repair External-Recovery External-Recovery-deleted Apps Disk-Usage Memory Safe-Cleanup
          Leftovers Stubborn-Apps Cleanup-Plans History Settings)
foreach(page ${pages})
  foreach(file ${page}.png ${page}-zh.png ${page}-es.png ${page}-ja.png ${page}-fr.png)
    if(NOT EXISTS ${FOLDER}/${file})
      message(FATAL_ERROR "missing ${file} in ${FOLDER}")
    endif()
    file(SIZE ${FOLDER}/${file} bytes)
    if(bytes EQUAL 0)
      message(FATAL_ERROR "${file} is empty")
    endif()
  endforeach()
endforeach()
# The Clean module's pages over a Linux desktop, through the freedesktop layout.
foreach(file Apps-linux.png Leftovers-linux.png Safe-Cleanup-linux.png)
  if(NOT EXISTS ${FOLDER}/${file})
    message(FATAL_ERROR "missing ${file} in ${FOLDER}")
  endif()
endforeach()
file(REMOVE_RECURSE ${FOLDER})
