# Called as: cmake -DPOLICY=<policy file> -DHELPER=<installed helper path> -P check_polkit_policy.cmake
# Checks the policy the way polkit reads it: valid against polkit's DTD, one action whose
# program path is the installed helper run with --install, as the helper's installer runs it.
find_program(XMLLINT xmllint REQUIRED)
set(dtd /usr/share/polkit-1/policyconfig-1.dtd)
if(NOT EXISTS ${dtd})
  message(FATAL_ERROR "${dtd} is missing (package polkitd)")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/run_checked.cmake)

function(expect_value xpath expected)
  run_checked(value ${XMLLINT} --xpath "string(${xpath})" ${POLICY})
  string(STRIP "${value}" value)
  if(NOT value STREQUAL expected)
    message(FATAL_ERROR "${xpath} is '${value}', expected '${expected}'")
  endif()
endfunction()

run_checked(ignored ${XMLLINT} --noout --dtdvalid ${dtd} ${POLICY})
expect_value("count(/policyconfig/action)" 1)
expect_value("/policyconfig/action/@id" app.tidewell.RawRecoveryHelperV2.install)
expect_value("/policyconfig/action/annotate[@key='org.freedesktop.policykit.exec.path']" ${HELPER})
expect_value("/policyconfig/action/annotate[@key='org.freedesktop.policykit.exec.argv1']" --install)
expect_value("/policyconfig/action/defaults/allow_active" auth_admin_keep)
run_checked(message ${XMLLINT} --xpath "string(/policyconfig/action/message)" ${POLICY})
if(NOT message MATCHES "only reads removable drives")
  message(FATAL_ERROR "the prompt does not say the helper only reads removable drives: ${message}")
endif()
