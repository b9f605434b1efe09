# cmake -DPROGRAM=<executable> -P CheckNoGui.cmake
#
# Fails when the program's shared-library closure holds QtGui or QtWidgets:
# the command-line program must run where no window toolkit is installed.
execute_process(COMMAND ldd "${PROGRAM}" OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Cannot list the libraries of ${PROGRAM}")
endif()
if(libraries MATCHES "libQt6(Gui|Widgets)[^ \t\n]*")
  message(FATAL_ERROR "${PROGRAM} links ${CMAKE_MATCH_0}: it may use QtCore and QtNetwork only")
endif()
