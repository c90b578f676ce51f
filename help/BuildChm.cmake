# Compiles the help file: copies the sources into a clean folder, runs chmcmd there (it writes
# into its working folder) and fails on any warning or error it prints, since chmcmd reports
# missing pages and anchors that way but still exits with success.
# Arguments (-D): CHMCMD, SOURCE_DIR, WORK_DIR, OUTPUT.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(GLOB sources "${SOURCE_DIR}/*.htm" "${SOURCE_DIR}/*.css" "${SOURCE_DIR}/*.hhp"
  "${SOURCE_DIR}/*.hhc" "${SOURCE_DIR}/*.hhk")
file(COPY ${sources} DESTINATION "${WORK_DIR}")

execute_process(COMMAND "${CHMCMD}" Glimpsebox.hhp
  WORKING_DIRECTORY "${WORK_DIR}"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "(Warning|Error):" OR NOT EXISTS "${WORK_DIR}/Glimpsebox.chm")
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "chmcmd could not compile the help file cleanly (exit code ${result}):\n${output}")
endif()
file(COPY_FILE "${WORK_DIR}/Glimpsebox.chm" "${OUTPUT}")
