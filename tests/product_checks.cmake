# Checks on the product rather than on its behaviour, run by CTest:
#
#   cmake -DCHECK=symbols -DNM=nm -DPROGRAM=build/debug/kvormx -P product_checks.cmake
#       the program carries none of the test-support library (inspect views,
#       operator verbs, file-dialog answers, delayed actions) and no sanitizer
#       suppressions of the test build.

if(CHECK STREQUAL "symbols")
  execute_process(COMMAND ${NM} -C ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} -C ${PROGRAM} failed (${status})")
  endif()
  # An unstripped program shows the runtime it was written against; without
  # that the absence of the rest would prove nothing.
  if(NOT symbols MATCHES "FileSelectPopup")
    message(FATAL_ERROR "${PROGRAM} has no symbol table to check")
  endif()
  set(forbidden
      "[Ii]nspect"
      "Operator(Click|Type|Enter|SelectRing|DragSlide|ClosePanel)"
      "AfterDelay"
      "FileSelectAnswer" "FileSelectCall" "AnswerFileDialog"
      "GraphPlots" "PlotInfo" "StripChartTrace" "StripTraceColor" "GraphRepaintCount" "CountRender"
      "PanelVisible" "PanelIsToolWindow" "ShownValue"
      "lsan_default_suppressions")
  list(JOIN forbidden "|" pattern)
  # Whole lines of nm's text (C++ names hold brackets, which a CMake list would not split safely).
  string(REGEX MATCHALL "[^\n]*(${pattern})[^\n]*" hits "${symbols}")
  string(REPLACE ";" "\n  " found "${hits}")
  if(found)
    message(FATAL_ERROR "${PROGRAM} carries test machinery:\n  ${found}")
  endif()
  message(STATUS "${PROGRAM}: no test machinery")

else()
  message(FATAL_ERROR "CHECK must be symbols")
endif()
