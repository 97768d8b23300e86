# Called as: cmake -DPAGE=<roff source> -P check_man_page.cmake
# Formats the page the way man shows it, with every groff warning switched on (w); any warning fails.
find_program(MAN man REQUIRED)
execute_process(COMMAND ${MAN} --warnings=w -E UTF-8 -l ${PAGE}
                RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "man ${PAGE} ended with ${status}:\n${warnings}")
endif()
get_filename_component(name ${PAGE} NAME_WLE)
if(NOT text MATCHES "NAME" OR NOT text MATCHES "${name}")
  message(FATAL_ERROR "man ${PAGE} printed no page:\n${text}")
endif()
