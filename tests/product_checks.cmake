# Checks on the product rather than on its behaviour, run by CTest:
#
#   cmake -DCHECK=symbols -DNM=nm -DPROGRAM=build/debug/kvormx [-DSENTINEL=name] -P product_checks.cmake
#       the program carries none of the test-support library (inspect views,
#       operator verbs, file-dialog answers, delayed actions) and no sanitizer
#       suppressions of the test build (SENTINEL: a runtime symbol it must show);
#   cmake -DCHECK=environment -DSOURCE_DIR=. -P product_checks.cmake
#       no program folder (kvormx-cli's included) reads the environment: only
#       the command line changes what the program does;
#   cmake -DCHECK=ready -DPROGRAM=build/debug/kvormx -P product_checks.cmake
#       `kvormx --simulate --exit-when-ready` comes up on its virtual sensor,
#       says so in one line and ends by itself.

if(CHECK STREQUAL "symbols")
  execute_process(COMMAND ${NM} -C ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} -C ${PROGRAM} failed (${status})")
  endif()
  # An unstripped program shows the runtime it was written against; without
  # that the absence of the rest would prove nothing. kvormx-cli has no panels.
  if(NOT SENTINEL)
    set(SENTINEL "FileSelectPopup")
  endif()
  if(NOT symbols MATCHES "${SENTINEL}")
    message(FATAL_ERROR "${PROGRAM} has no symbol table to check")
  endif()
  set(forbidden
      "[Ii]nspect"
      "Operator(Click|Type|Enter|SelectRing|DragSlide|ClosePanel)"
      "AfterDelay"
      "FileSelectAnswer" "FileSelectCall" "AnswerFileDialog"
      "GraphPlots" "PlotInfo" "StripChartTrace" "StripTraceColor" "GraphRepaintCount" "CountRender"
      "PanelVisible" "PanelIsToolWindow" "ShownValue"
      "OperatorChooseExport" "ClipboardImageSize" "XmlFileHasRoot" "GraphAxisLabel"
      "lsan_default_suppressions")
  list(JOIN forbidden "|" pattern)
  # Whole lines of nm's text (C++ names hold brackets, which a CMake list would not split safely).
  string(REGEX MATCHALL "[^\n]*(${pattern})[^\n]*" hits "${symbols}")
  string(REPLACE ";" "\n  " found "${hits}")
  if(found)
    message(FATAL_ERROR "${PROGRAM} carries test machinery:\n  ${found}")
  endif()
  message(STATUS "${PROGRAM}: no test machinery")

elseif(CHECK STREQUAL "environment")
  set(found "")
  foreach(folder app link params display outputs cli)
    file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
    foreach(source IN LISTS sources)
      file(STRINGS ${source} hits
           REGEX "getenv *\\(|qEnvironmentVariable[A-Za-z]* *\\(|QProcessEnvironment|(^|[^A-Za-z_])environ([^A-Za-z_]|$)")
      foreach(hit IN LISTS hits)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(STRIP "${hit}" hit)
        string(APPEND found "  ${name}: ${hit}\n")
      endforeach()
    endforeach()
  endforeach()
  if(found)
    message(FATAL_ERROR "the program reads the environment:\n${found}")
  endif()
  message(STATUS "app/ link/ params/ display/ outputs/ cli/: no environment read")

elseif(CHECK STREQUAL "ready")
  execute_process(COMMAND ${PROGRAM} --simulate --exit-when-ready
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 60)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "kvormx: ready\n")
    message(FATAL_ERROR "kvormx --simulate --exit-when-ready: status ${status}\n"
                        "stdout:\n${out}\nstderr:\n${err}")
  endif()
  message(STATUS "${out}")

else()
  message(FATAL_ERROR "CHECK must be symbols, environment or ready")
endif()
