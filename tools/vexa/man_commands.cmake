# Writes the help2man include file of the vexa man page: a COMMANDS
# section with each command's --help, kept as preformatted text.
#   cmake -DVEXA=<tool> -DOUTPUT=<file> -P man_commands.cmake
set(text "[COMMANDS]\n")
foreach(command decode parse encode simulate listen)
  execute_process(COMMAND ${VEXA} ${command} --help
                  OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "vexa ${command} --help failed: ${status}")
  endif()
  # roff takes a leading '.' or '\' as markup.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS ${command}\n.nf\n${help}\n.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
